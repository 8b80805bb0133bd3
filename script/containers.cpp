// The engine's containers: shared end tokens, empty tops and variable tables.
#include "script/containers.h"

#include <type_traits>

#include <cstring>

CTokenList::CTokenList(const CTokenList& source, int first, int last, int endColumn) {
  owner_ = source.owner_ ? source.owner_ : &source;
  offset_ = (source.owner_ ? source.offset_ : 0) + first;
  count_ = last > first ? last - first : 0;
  first_ = owner_->tokens_.data() + offset_;
  viewEnd_.kind = TOK_END;
  viewEnd_.column = endColumn;
}

int CTokenList::MatchingParen(int i) const {
  if (owner_) {
    if (i < 0 || i >= count_) return -1;
    int match = owner_->MatchingParen(offset_ + i);
    return match >= offset_ && match - offset_ < count_ ? match - offset_ : -1;
  }
  if (!matched_) {
    // One pass over the line pairs every bracket, so calls nested to any depth find their
    // closing bracket in constant time.
    matches_.assign(tokens_.size(), -1);
    std::vector<int> open;
    for (size_t n = 0; n < tokens_.size() && tokens_[n].kind != TOK_END; ++n) {
      if (tokens_[n].kind == TOK_LEFTPAREN) {
        open.push_back(static_cast<int>(n));
      } else if (tokens_[n].kind == TOK_RIGHTPAREN && !open.empty()) {
        matches_[open.back()] = static_cast<int>(n);
        open.pop_back();
      }
    }
    matched_ = true;
  }
  return i >= 0 && i < static_cast<int>(matches_.size()) ? matches_[i] : -1;
}

void CTokenList::Add(const CScriptToken& token) {
  tokens_.push_back(token);
  first_ = tokens_.data();
  count_ = static_cast<int>(tokens_.size());
  matched_ = false;
}

void CTokenList::Add(CScriptToken&& token) {
  tokens_.push_back(std::move(token));
  first_ = tokens_.data();
  count_ = static_cast<int>(tokens_.size());
  matched_ = false;
}

void CTokenList::AddEnd(int column) {
  CScriptToken token;
  token.kind = TOK_END;
  token.column = column;
  Add(std::move(token));
}

void CTokenList::Clear() {
  tokens_.clear();
  matched_ = false;
  owner_ = nullptr;
  count_ = offset_ = 0;
  first_ = nullptr;
  viewEnd_.column = 0;
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
  if (index_.empty()) {
    for (const Entry& e : entries_)
      if (strcmp(e.name.GetText(), name) == 0) return &e;
    return nullptr;
  }
  auto found = index_.find(std::string_view(name));
  return found == index_.end() ? nullptr : &entries_[found->second];
}

CVariableTable::Entry& CVariableTable::AddEntry(const char* name) {
  static_assert(std::is_nothrow_move_constructible_v<Entry>, "moved entries must keep their name buffers");
  Entry entry;
  entry.name.AssignText(name);
  entries_.push_back(std::move(entry));
  // A few names are found faster by a scan; past that, by a hash of the names. The keys view
  // the entries' own names, whose buffers stay put when the entries move.
  if (entries_.size() == kScanLimit) {
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].name.GetText(), i);
  } else if (entries_.size() > kScanLimit) {
    index_.emplace(entries_.back().name.GetText(), entries_.size() - 1);
  }
  return entries_.back();
}

void CVariableTable::SetValue(const char* name, const CScriptValue& value) {
  if (const Entry* e = FindEntry(name)) {
    e->value->Copy(value);
    return;
  }
  AddEntry(name).value = std::make_shared<CScriptValue>(value);
}

void CVariableTable::SetReference(const char* name, std::shared_ptr<CScriptValue> value) {
  Entry* e = const_cast<Entry*>(FindEntry(name));
  if (!e) e = &AddEntry(name);
  e->reference = true;
  e->value = std::move(value);
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
