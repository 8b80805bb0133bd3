// The script engine's small owning containers: tokens, value lists and stacks, block records,
// variable tables and the scope stack.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "script/scriptstring.h"
#include "script/scriptvalue.h"

// Token kinds of the lexer.
enum TokenKind {
  TOK_KEYWORD = 0,
  TOK_BUILTIN = 1,
  TOK_LITERAL = 2,
  TOK_EQUAL = 3,         // =
  TOK_GREATER = 4,       // >
  TOK_LESS = 5,          // <
  TOK_NOTEQUAL = 6,      // <>
  TOK_GREATEREQUAL = 7,  // >=
  TOK_LESSEQUAL = 8,     // <=
  TOK_LEFTPAREN = 9,
  TOK_RIGHTPAREN = 10,
  TOK_PLUS = 11,
  TOK_MINUS = 12,
  TOK_DIVIDE = 13,
  TOK_MULTIPLY = 14,
  TOK_VARIABLE = 15,
  TOK_END = 16,
  TOK_USERFUNCTION = 17,
  TOK_COMMA = 18,
  TOK_CONCAT = 19,        // &
  TOK_LEFTSUBSCRIPT = 20,   // [
  TOK_RIGHTSUBSCRIPT = 21,  // ]
  TOK_MACRO = 22,
  TOK_STRINGEQUAL = 23,  // ==
  TOK_POWER = 24,        // ^
};

struct CScriptToken {
  int kind = TOK_END;
  CScriptValue value;
  int column = 0;
};

// The tokens of one line. A list may also be a view of a run of another list's tokens (the
// arguments of a call), closed by an end-of-line token of its own: no token is copied, so nested
// calls cost time and memory in proportion to the line.
class CTokenList {
public:
  CTokenList() = default;
  // A view of tokens first .. last-1 of `source`, closed by an end-of-line token at `endColumn`.
  // The source must outlive the view and stay unchanged while it is used.
  CTokenList(const CTokenList& source, int first, int last, int endColumn);
  CTokenList(const CTokenList&) = delete;
  CTokenList& operator=(const CTokenList&) = delete;

  int GetCount() const { return count_; }
  // Token i, or an end-of-line token past the end. Read for every token the engine looks at,
  // so it is one comparison here.
  const CScriptToken& GetAt(int i) const {
    return static_cast<unsigned>(i) < static_cast<unsigned>(count_) ? first_[i] : viewEnd_;
  }
  const CScriptToken& operator[](int i) const { return GetAt(i); }
  // The index of the ")" that closes the "(" at i, or -1 when the list ends first.
  int MatchingParen(int i) const;
  void Add(const CScriptToken& token);
  void Add(CScriptToken&& token);
  void AddEnd(int column);
  void Clear();

private:
  std::vector<CScriptToken> tokens_;
  mutable std::vector<int> matches_;  // made on the first MatchingParen
  mutable bool matched_ = false;
  const CTokenList* owner_ = nullptr;  // a view: the list that holds the tokens
  int offset_ = 0, count_ = 0;
  const CScriptToken* first_ = nullptr;  // token 0: in tokens_, or in the owner's for a view
  CScriptToken viewEnd_;                 // what is read past the end
};

// The argument list of built-in and user-function calls.
class CValueList {
public:
  int GetCount() const { return static_cast<int>(values_.size()); }
  // Value i, or a shared number 0 past the end.
  const CScriptValue& GetAt(int i) const;
  CScriptValue& Add(const CScriptValue& value);
  CScriptValue& Add(CScriptValue&& value);
  void Clear() { values_.clear(); }

private:
  std::vector<CScriptValue> values_;
};

class CValueStack {
public:
  int GetCount() const { return static_cast<int>(values_.size()); }
  bool IsEmpty() const { return values_.empty(); }
  // The top value, or an empty value when the stack is empty.
  CScriptValue& Top();
  void Push(const CScriptValue& value) { values_.push_back(value); }
  void Push(CScriptValue&& value) { values_.push_back(std::move(value)); }
  void Pop() {
    if (!values_.empty()) values_.pop_back();
  }
  void Clear() { values_.clear(); }  // keeps the room for the next use

private:
  std::vector<CScriptValue> values_;
  CScriptValue empty_;
};

class CIntStack {
public:
  int GetCount() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }
  int Top() const { return items_.empty() ? 0 : items_.back(); }
  void Push(int n) { items_.push_back(n); }
  void Pop() {
    if (!items_.empty()) items_.pop_back();
  }
  void Clear() { items_.clear(); }

private:
  std::vector<int> items_;
};

// One open block of the statement executor.
enum BlockKind { BLOCK_IF = 0, BLOCK_WHILE = 1, BLOCK_DO = 2, BLOCK_FOR = 3, BLOCK_SELECT = 4, BLOCK_TAG = 5 };

struct CBlockRecord {
  int kind = BLOCK_IF;
  int ifLine = 0;
  int endIfLine = 0;
  int tagLine = 0;
  CScriptString label;
  int loopStart = 0;
  int loopEnd = 0;
  CScriptValue loopEndValue;
  CScriptValue loopStep;
  int selectLine = 0;
  int endSelectLine = 0;
  int ifDepth = 0;
  int selectDepth = 0;
  int recursionDepth = 0;
};

class CBlockStack {
public:
  int GetCount() const { return static_cast<int>(records_.size()); }
  bool IsEmpty() const { return records_.empty(); }
  void Push(const CBlockRecord& record) { records_.push_back(record); }
  void Push(CBlockRecord&& record) { records_.push_back(std::move(record)); }
  void Pop() {
    if (!records_.empty()) records_.pop_back();
  }
  // Pops down to `count` records.
  void PopTo(int count) {
    if (count >= 0 && count < GetCount()) records_.resize(count);
  }
  void Clear() { records_.clear(); }
  // The top record, or an empty record when the stack is empty.
  CBlockRecord& Top();
  // The first (oldest) record, or null.
  CBlockRecord* Head() { return records_.empty() ? nullptr : &records_.front(); }
  CBlockRecord& GetAt(int i) { return records_[i]; }

private:
  std::vector<CBlockRecord> records_;
  CBlockRecord empty_;
};

// Variables of one scope, in insertion order. Names are compared exactly (callers upper-case
// them). Values are shared so that a reference (ByRef) keeps its target alive.
class CVariableTable {
public:
  CVariableTable() = default;
  // The name index views the entries' own names: a table is never copied.
  CVariableTable(const CVariableTable&) = delete;
  CVariableTable& operator=(const CVariableTable&) = delete;
  // Updates the entry's value, or appends an entry owning a copy.
  void SetValue(const char* name, const CScriptValue& value);
  // Updates or appends an entry that refers to `value`.
  void SetReference(const char* name, std::shared_ptr<CScriptValue> value);
  // The value, or null.
  CScriptValue* Find(const char* name) const;
  std::shared_ptr<CScriptValue> FindShared(const char* name) const;
  bool IsReference(const char* name) const;
  int GetCount() const { return static_cast<int>(entries_.size()); }
  void Clear() {
    index_.clear();
    entries_.clear();
  }

private:
  struct Entry {
    CScriptString name;
    bool reference = false;
    std::shared_ptr<CScriptValue> value;
  };
  static constexpr size_t kScanLimit = 16;
  const Entry* FindEntry(const char* name) const;
  Entry& AddEntry(const char* name);

  std::vector<Entry> entries_;
  std::unordered_map<std::string_view, size_t> index_;  // by name, once there are kScanLimit
};

// The local tables of running user functions.
class CScopeStack {
public:
  int GetCount() const { return static_cast<int>(tables_.size()); }
  void PushNew() { tables_.push_back(std::make_unique<CVariableTable>()); }
  void Pop() {
    if (!tables_.empty()) tables_.pop_back();
  }
  CVariableTable* Top() const { return tables_.empty() ? nullptr : tables_.back().get(); }

private:
  std::vector<std::unique_ptr<CVariableTable>> tables_;
};
