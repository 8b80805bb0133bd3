// Script variables (a global table and a stack of local tables) and the table of user functions.
#pragma once

#include <memory>
#include <vector>

#include "script/containers.h"

// Scope codes: 0 Dim and implicit creation, 1 Local and function parameters, 2 Global.
enum VariableScope { SCOPE_ANY = 0, SCOPE_LOCAL = 1, SCOPE_GLOBAL = 2 };

class CScriptVariables {
public:
  // Scope 0 or 1: the current local table while a user function runs, else the global table;
  // scope 2: the global table. Adds an owned copy or overwrites the entry's value.
  bool Assign(const char* name, const CScriptValue& value, int scope);
  // Scope 0: local, then global; scope 1: local only (global when no function runs); scope 2:
  // global only. `value` is the entry's value (the referenced one for a ByRef entry).
  bool GetRef(const char* name, CScriptValue*& value, int scope);
  // As GetRef, with shared ownership (for ByRef arguments).
  std::shared_ptr<CScriptValue> GetShared(const char* name, int scope);
  // While a user function runs: adds or re-points a reference entry in the local table.
  bool AssignRef(const char* name, std::shared_ptr<CScriptValue> target);
  void PushScope() { scopes_.PushNew(); }
  void PopScope() { scopes_.Pop(); }
  int GetScopeDepth() const { return scopes_.GetCount(); }
  // -1 declared in the current local table, 1 global, 0 not declared.
  int IsDeclared(const char* name);
  // Forgets every variable (global and local).
  void Clear();

private:
  CVariableTable* TableFor(int scope);

  CVariableTable global_;
  CScopeStack scopes_;
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
  void Add(const CUserFunc& entry) { funcs_.push_back(entry); }
  void DeleteAll() { funcs_.clear(); }
  int GetCount() const { return static_cast<int>(funcs_.size()); }

private:
  std::vector<CUserFunc> funcs_;
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
