// The engine's containers: shared end tokens, empty tops and variable tables.
#include "script/containers.h"

#include <cstring>

const CScriptToken& CTokenList::GetAt(int i) const {
  static const CScriptToken end;
  if (i >= 0 && i < GetCount()) return tokens_[i];
  return end;
}

void CTokenList::AddEnd(int column) {
  CScriptToken token;
  token.kind = TOK_END;
  token.column = column;
  tokens_.push_back(std::move(token));
}

const CScriptValue& CValueList::GetAt(int i) const {
  static const CScriptValue zero;
  if (i >= 0 && i < GetCount()) return values_[i];
  return zero;
}

CScriptValue& CValueList::Add(const CScriptValue& value) {
  values_.push_back(value);
  return values_.back();
}

CScriptValue& CValueList::Add(CScriptValue&& value) {
  values_.push_back(std::move(value));
  return values_.back();
}

CScriptValue& CValueStack::Top() {
  if (values_.empty()) {
    empty_.Reset();
    return empty_;
  }
  return values_.back();
}

CBlockRecord& CBlockStack::Top() {
  if (records_.empty()) {
    empty_ = CBlockRecord();
    return empty_;
  }
  return records_.back();
}

const CVariableTable::Entry* CVariableTable::FindEntry(const char* name) const {
  for (const Entry& e : entries_)
    if (strcmp(e.name.GetText(), name) == 0) return &e;
  return nullptr;
}

void CVariableTable::SetValue(const char* name, const CScriptValue& value) {
  if (const Entry* e = FindEntry(name)) {
    e->value->Copy(value);
    return;
  }
  Entry entry;
  entry.name.AssignText(name);
  entry.value = std::make_shared<CScriptValue>(value);
  entries_.push_back(std::move(entry));
}

void CVariableTable::SetReference(const char* name, std::shared_ptr<CScriptValue> value) {
  for (Entry& e : entries_) {
    if (strcmp(e.name.GetText(), name) == 0) {
      e.reference = true;
      e.value = std::move(value);
      return;
    }
  }
  Entry entry;
  entry.name.AssignText(name);
  entry.reference = true;
  entry.value = std::move(value);
  entries_.push_back(std::move(entry));
}

CScriptValue* CVariableTable::Find(const char* name) const {
  const Entry* e = FindEntry(name);
  return e ? e->value.get() : nullptr;
}

std::shared_ptr<CScriptValue> CVariableTable::FindShared(const char* name) const {
  const Entry* e = FindEntry(name);
  return e ? e->value : nullptr;
}

bool CVariableTable::IsReference(const char* name) const {
  const Entry* e = FindEntry(name);
  return e && e->reference;
}
