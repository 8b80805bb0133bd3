// Variable store scope rules and the user-function table.
#include "script/variables.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

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

namespace {

// The cache slot of a name's address.
size_t SlotOf(const char* key, size_t slots) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(key);
  return ((at >> 3) ^ (at >> 11)) & (slots - 1);
}

}  // namespace

int CScriptVariables::LocalTable::Find(const char* upperName) const {
  for (int i = 0; i < count; ++i)
    if (strcmp(entries[i].name.GetText(), upperName) == 0) return i;
  return -1;
}

CScriptVariables::LocalEntry& CScriptVariables::LocalTable::Add(const char* upperName) {
  if (count == static_cast<int>(entries.size())) entries.emplace_back();
  LocalEntry& e = entries[count++];
  e.name.AssignText(upperName);
  e.reference = false;
  if (!e.value) e.value = std::make_shared<CScriptValue>();
  return e;
}

void CScriptVariables::LocalTable::Release() {
  for (int i = 0; i < count; ++i) {
    LocalEntry& e = entries[i];
    // A value nobody else holds is emptied and kept for the next call; a ByRef target and a
    // value still held elsewhere are let go.
    if (e.reference || e.value.use_count() != 1) {
      e.value.reset();
    } else {
      e.value->Reset();
    }
    e.reference = false;
  }
  count = 0;
}

void CScriptVariables::PushScope() {
  if (depth_ == static_cast<int>(locals_.size())) locals_.push_back(std::make_unique<LocalTable>());
  locals_[depth_++]->generation = ++nextGeneration_;
}

void CScriptVariables::PopScope() {
  if (!depth_) return;
  locals_[--depth_]->Release();
}

CScriptValue* CScriptVariables::AssignTarget(const char* upperName, int scope, bool& global) {
  global = false;
  if (scope != SCOPE_ANY && scope != SCOPE_LOCAL && scope != SCOPE_GLOBAL) return nullptr;
  LocalTable* local = scope == SCOPE_GLOBAL ? nullptr : Top();
  if (!local) {
    global = true;
    return nullptr;
  }
  int i = local->Find(upperName);
  if (i >= 0) return local->entries[i].value.get();
  local->generation = ++nextGeneration_;
  return local->Add(upperName).value.get();
}

bool CScriptVariables::Assign(const char* name, const CScriptValue& value, int scope) {
  CUpperName upper(name);
  bool global = false;
  if (CScriptValue* target = AssignTarget(upper, scope, global)) {
    target->Copy(value);
  } else if (global) {
    global_.SetValue(upper, value);
    ++globalGeneration_;
  }
  return true;
}

bool CScriptVariables::Assign(const char* name, CScriptValue&& value, int scope) {
  CUpperName upper(name);
  bool global = false;
  if (CScriptValue* target = AssignTarget(upper, scope, global)) {
    *target = std::move(value);
  } else if (global) {
    global_.SetValue(upper, value);
    ++globalGeneration_;
  }
  return true;
}

std::shared_ptr<CScriptValue> CScriptVariables::GetShared(const char* name, int scope) {
  CUpperName upper(name);
  LocalTable* local = Top();
  int i = local ? local->Find(upper) : -1;
  switch (scope) {
    case SCOPE_ANY:
      if (i >= 0) return local->entries[i].value;
      return global_.FindShared(upper);
    case SCOPE_LOCAL:
      if (local) return i >= 0 ? local->entries[i].value : nullptr;
      return global_.FindShared(upper);
    case SCOPE_GLOBAL:
      return global_.FindShared(upper);
    default:
      return nullptr;
  }
}

bool CScriptVariables::GetRef(const char* name, CScriptValue*& value, int scope) {
  value = nullptr;
  if (scope != SCOPE_ANY) {
    if (scope == SCOPE_LOCAL || scope == SCOPE_GLOBAL) value = GetShared(name, scope).get();
    return value != nullptr;
  }
  if (!name) name = "";
  // A token's name keeps its address: the last answer for it holds while nothing was declared
  // since (a local entry is checked by its name, a global one by the generations).
  CachedName& cached = cache_[SlotOf(name, kCacheSlots)];
  if (cached.key == name) {
    if (cached.local >= 0) {
      LocalTable* local = Top();
      if (local && cached.local < local->count &&
          strcmp(local->entries[cached.local].name.GetText(), name) == 0) {
        value = local->entries[cached.local].value.get();
        return true;
      }
    } else if (cached.globalGeneration == globalGeneration_ && cached.localGeneration == TopGeneration() &&
               strcmp(cached.name, name) == 0) {
      value = cached.global;
      return true;
    }
  }
  CUpperName upper(name);
  LocalTable* local = Top();
  int i = local ? local->Find(upper) : -1;
  value = i >= 0 ? local->entries[i].value.get() : global_.Find(upper);
  if (!value) return false;
  // Only a name already in upper case is kept: the checks above compare it as it is.
  if (upper.GetText() == name && strlen(name) < sizeof cached.name) {
    cached.key = name;
    strcpy(cached.name, name);
    cached.local = i;
    cached.global = i >= 0 ? nullptr : value;
    cached.globalGeneration = globalGeneration_;
    cached.localGeneration = TopGeneration();
  }
  return true;
}

bool CScriptVariables::AssignRef(const char* name, std::shared_ptr<CScriptValue> target) {
  LocalTable* local = Top();
  if (!local || !target) return false;
  CUpperName upper(name);
  int i = local->Find(upper);
  LocalEntry& e = i >= 0 ? local->entries[i] : local->Add(upper);
  e.reference = true;
  e.value = std::move(target);
  local->generation = ++nextGeneration_;
  return true;
}

int CScriptVariables::IsDeclared(const char* name) {
  CUpperName upper(name);
  if (Top() && Top()->Find(upper) >= 0) return -1;
  return global_.Find(upper) ? 1 : 0;
}

void CScriptVariables::Clear() {
  while (depth_) PopScope();
  global_.Clear();
  ++globalGeneration_;
}

void CUserFuncTable::Add(const CUserFunc& entry) {
  static_assert(std::is_nothrow_move_constructible_v<CUserFunc>, "moved entries must keep their name buffers");
  funcs_.push_back(entry);
  funcs_.back().name.MakeUpper();
  index_.emplace(funcs_.back().name.GetText(), funcs_.size() - 1);
}

const CUserFunc* CUserFuncTable::Find(const char* name) const {
  // Names are compared without regard to case, as _stricmp does: ASCII letters only.
  char upper[64];
  std::string longName;
  const char* key = name ? name : "";
  size_t length = strlen(key);
  char* out = upper;
  if (length >= sizeof upper) {
    longName.assign(key, length);
    out = longName.data();
  }
  for (size_t i = 0; i <= length; ++i) {
    char c = key[i];
    out[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  auto found = index_.find(std::string_view(out, length));
  return found == index_.end() ? nullptr : &funcs_[found->second];
}
