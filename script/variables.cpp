// Variable store scope rules and the user-function table.
#include "script/variables.h"

#include <windows.h>

#include <cstring>

CUpperName::CUpperName(const char* name) : name_(name ? name : "") {
  // Most names are upper-cased by the lexer already; only copy when a lower-case letter is present.
  for (const char* p = name_; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x80 ? c >= 'a' && c <= 'z' : IsCharLowerA(*p) != 0) {
      upper_.AssignText(name_);
      upper_.MakeUpper();
      name_ = upper_.GetText();
      break;
    }
  }
}

CVariableTable* CScriptVariables::TableFor(int scope) {
  if (scope == SCOPE_GLOBAL) return &global_;
  if (scope == SCOPE_ANY || scope == SCOPE_LOCAL) return scopes_.Top() ? scopes_.Top() : &global_;
  return nullptr;
}

bool CScriptVariables::Assign(const char* name, const CScriptValue& value, int scope) {
  if (CVariableTable* table = TableFor(scope)) table->SetValue(CUpperName(name), value);
  return true;
}

std::shared_ptr<CScriptValue> CScriptVariables::GetShared(const char* name, int scope) {
  CUpperName upper(name);
  CVariableTable* local = scopes_.Top();
  switch (scope) {
    case SCOPE_ANY:
      if (local) {
        if (auto v = local->FindShared(upper)) return v;
      }
      return global_.FindShared(upper);
    case SCOPE_LOCAL:
      return (local ? local : &global_)->FindShared(upper);
    case SCOPE_GLOBAL:
      return global_.FindShared(upper);
    default:
      return nullptr;
  }
}

bool CScriptVariables::GetRef(const char* name, CScriptValue*& value, int scope) {
  CUpperName upper(name);
  CVariableTable* local = scopes_.Top();
  value = nullptr;
  switch (scope) {
    case SCOPE_ANY:
      if (local) value = local->Find(upper);
      if (!value) value = global_.Find(upper);
      break;
    case SCOPE_LOCAL:
      value = (local ? local : &global_)->Find(upper);
      break;
    case SCOPE_GLOBAL:
      value = global_.Find(upper);
      break;
    default:
      break;
  }
  return value != nullptr;
}

bool CScriptVariables::AssignRef(const char* name, std::shared_ptr<CScriptValue> target) {
  CVariableTable* local = scopes_.Top();
  if (!local || !target) return false;
  local->SetReference(CUpperName(name), std::move(target));
  return true;
}

int CScriptVariables::IsDeclared(const char* name) {
  CUpperName upper(name);
  if (scopes_.Top() && scopes_.Top()->Find(upper)) return -1;
  return global_.Find(upper) ? 1 : 0;
}

void CScriptVariables::Clear() {
  while (scopes_.GetCount()) scopes_.Pop();
  global_.Clear();
}

const CUserFunc* CUserFuncTable::Find(const char* name) const {
  for (const CUserFunc& f : funcs_)
    if (_stricmp(f.name.GetText(), name) == 0) return &f;
  return nullptr;
}
