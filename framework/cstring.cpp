// CString members that are more than one line.
#include "framework/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

int CString::Compare(const char* text) const { return strcmp(s_.c_str(), text ? text : ""); }

int CString::CompareNoCase(const char* text) const { return _stricmp(s_.c_str(), text ? text : ""); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first >= GetLength()) return CString();
  return CString(s_.substr(first, count));
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(s_.substr(0, count));
}

CString CString::Right(int count) const {
  if (count <= 0) return CString();
  if (count >= GetLength()) return *this;
  return CString(s_.substr(s_.size() - count));
}

CString CString::SpanIncluding(const char* set) const {
  size_t n = s_.find_first_not_of(set ? set : "");
  return CString(n == std::string::npos ? s_ : s_.substr(0, n));
}

CString CString::SpanExcluding(const char* set) const {
  size_t n = s_.find_first_of(set ? set : "");
  return CString(n == std::string::npos ? s_ : s_.substr(0, n));
}

int CString::Find(char ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t n = s_.find(ch, start);
  return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::Find(const char* text, int start) const {
  if (!text || start < 0 || start > GetLength()) return -1;
  size_t n = s_.find(text, start);
  return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::ReverseFind(char ch) const {
  size_t n = s_.rfind(ch);
  return n == std::string::npos ? -1 : static_cast<int>(n);
}

int CString::FindOneOf(const char* set) const {
  size_t n = s_.find_first_of(set ? set : "");
  return n == std::string::npos ? -1 : static_cast<int>(n);
}

CString& CString::MakeUpper() {
  if (!s_.empty()) CharUpperBuffA(s_.data(), static_cast<DWORD>(s_.size()));
  return *this;
}

CString& CString::MakeLower() {
  if (!s_.empty()) CharLowerBuffA(s_.data(), static_cast<DWORD>(s_.size()));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(s_.begin(), s_.end());
  return *this;
}

static const char kWhiteSpace[] = " \t\r\n\v\f";

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(const char* set) { return TrimRight(set).TrimLeft(set); }
CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }

CString& CString::TrimLeft(const char* set) {
  size_t n = s_.find_first_not_of(set ? set : "");
  s_.erase(0, n == std::string::npos ? s_.size() : n);
  return *this;
}

CString& CString::TrimRight(const char* set) {
  size_t n = s_.find_last_not_of(set ? set : "");
  s_.erase(n == std::string::npos ? 0 : n + 1);
  return *this;
}

int CString::Replace(char oldCh, char newCh) {
  int count = 0;
  for (char& c : s_) {
    if (c == oldCh) {
      c = newCh;
      ++count;
    }
  }
  return count;
}

int CString::Replace(const char* oldText, const char* newText) {
  if (!oldText || !*oldText) return 0;
  const std::string from(oldText), to(newText ? newText : "");
  size_t pos = s_.find(from);
  if (pos == std::string::npos) return 0;
  // Built into a new string in one pass: replacing in place moves the whole tail at every match.
  std::string out;
  out.reserve(s_.size());
  int count = 0;
  size_t done = 0;
  for (; pos != std::string::npos; pos = s_.find(from, done)) {
    out.append(s_, done, pos - done).append(to);
    done = pos + from.size();
    ++count;
  }
  out.append(s_, done, std::string::npos);
  s_.swap(out);
  return count;
}

int CString::Remove(char ch) {
  size_t before = s_.size();
  s_.erase(std::remove(s_.begin(), s_.end(), ch), s_.end());
  return static_cast<int>(before - s_.size());
}

int CString::Insert(int index, const char* text) {
  index = std::clamp(index, 0, GetLength());
  s_.insert(index, text ? text : "");
  return GetLength();
}

int CString::Insert(int index, char ch) {
  index = std::clamp(index, 0, GetLength());
  s_.insert(s_.begin() + index, ch);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (count > 0 && index < GetLength()) s_.erase(index, count);
  return GetLength();
}

void CString::FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) {
    s_.clear();
    return;
  }
  std::vector<char> buf(n + 1);
  vsnprintf(buf.data(), buf.size(), format, args);
  s_.assign(buf.data(), n);
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
  CString more;
  va_list args;
  va_start(args, format);
  more.FormatV(format, args);
  va_end(args);
  s_ += more.s_;
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) s_.resize(minLength);
  return s_.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(strnlen(s_.c_str(), s_.size()));
  s_.resize(std::min<size_t>(newLength, s_.size()));
}

char* CString::GetBufferSetLength(int length) {
  s_.resize(length > 0 ? length : 0);
  return s_.data();
}

BOOL CString::LoadString(UINT id) {
  char buf[1024];
  int n = ::LoadStringA(GetModuleHandleA(nullptr), id, buf, sizeof buf);
  s_.assign(buf, n > 0 ? n : 0);
  return n > 0;
}
