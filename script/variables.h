// Script variables (a global table and a stack of local tables) and the table of user functions.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/containers.h"
#include "script/scriptstring.h"

// Scope codes: 0 Dim and implicit creation, 1 Local and function parameters, 2 Global.
enum VariableScope { SCOPE_ANY = 0, SCOPE_LOCAL = 1, SCOPE_GLOBAL = 2 };

class CScriptVariables {
public:
  CScriptVariables() = default;
  CScriptVariables(const CScriptVariables&) = delete;
  CScriptVariables& operator=(const CScriptVariables&) = delete;
  // Scope 0 or 1: the current local table while a user function runs, else the global table;
  // scope 2: the global table. Adds an owned copy or overwrites the entry's value.
  bool Assign(const char* name, const CScriptValue& value, int scope);
  // The same, taking the value over (a function's arguments).
  bool Assign(const char* name, CScriptValue&& value, int scope);
  // Scope 0: local, then global; scope 1: local only (global when no function runs); scope 2:
  // global only. `value` is the entry's value (the referenced one for a ByRef entry).
  // A name that stays where it is (a token's own text) is found by scope 0 without a search.
  bool GetRef(const char* name, CScriptValue*& value, int scope);
  // As GetRef, with shared ownership (for ByRef arguments).
  std::shared_ptr<CScriptValue> GetShared(const char* name, int scope);
  // While a user function runs: adds or re-points a reference entry in the local table.
  bool AssignRef(const char* name, std::shared_ptr<CScriptValue> target);
  void PushScope();
  void PopScope();
  int GetScopeDepth() const { return depth_; }
  // -1 declared in the current local table, 1 global, 0 not declared.
  int IsDeclared(const char* name);
  // Forgets every variable (global and local).
  void Clear();

private:
  // The local table of one running user function. Its entries and their values are kept when
  // the function returns and serve the next call, so a call allocates nothing once warm.
  struct LocalEntry {
    CScriptString name;
    bool reference = false;
    std::shared_ptr<CScriptValue> value;
  };
  struct LocalTable {
    std::vector<LocalEntry> entries;
    int count = 0;
    unsigned generation = 0;  // new at every call and every added or re-pointed entry
    int Find(const char* upperName) const;
    LocalEntry& Add(const char* upperName);
    void Release();
  };
  // A name found by scope 0: where it was found, checked again at every use.
  struct CachedName {
    const char* key = nullptr;  // the text the caller passed
    char name[24] = {};         // its contents when it was found
    int local = -1;             // the local entry's index, or -1: global
    CScriptValue* global = nullptr;
    unsigned globalGeneration = 0, localGeneration = 0;
  };
  enum { kCacheSlots = 256 };

  LocalTable* Top() { return depth_ ? locals_[depth_ - 1].get() : nullptr; }
  unsigned TopGeneration() const { return depth_ ? locals_[depth_ - 1]->generation : 0; }
  // The entry Assign writes: found or added in the table of `scope`; null for an unknown scope.
  CScriptValue* AssignTarget(const char* upperName, int scope, bool& global);

  CVariableTable global_;
  unsigned globalGeneration_ = 1;
  unsigned nextGeneration_ = 1;
  std::vector<std::unique_ptr<LocalTable>> locals_;  // [0, depth_) in use, the rest kept for reuse
  int depth_ = 0;
  CachedName cache_[kCacheSlots];
};

// One parameter of a user function.
struct CUserFuncParam {
  CScriptString name;  // upper case, without "$"
  bool byRef = false;
};

struct CUserFunc {
  CScriptString name;  // upper case
  int funcLine = 0;
  int paramCount = 0;
  int endFuncLine = 0;
  std::vector<CUserFuncParam> params;
};

class CUserFuncTable {
public:
  // The entry of that name (any case), or null.
  const CUserFunc* Find(const char* name) const;
  void Add(const CUserFunc& entry);
  void DeleteAll() {
    index_.clear();
    funcs_.clear();
  }
  int GetCount() const { return static_cast<int>(funcs_.size()); }

private:
  std::vector<CUserFunc> funcs_;
  // By upper-case name; the keys view the entries' own names, whose buffers stay put when the
  // entries move.
  std::unordered_map<std::string_view, size_t> index_;
};

// Upper-cases a variable name into a buffer of its own (names are compared in upper case).
class CUpperName {
public:
  explicit CUpperName(const char* name);
  CUpperName(const CUpperName&) = delete;
  CUpperName& operator=(const CUpperName&) = delete;
  const char* GetText() const { return name_; }
  operator const char*() const { return name_; }

private:
  const char* name_;     // the name itself, or upper_
  CScriptString upper_;  // an upper-case copy, only when the name had lower-case letters
};
