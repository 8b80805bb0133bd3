// CString: the program's 8-bit string value, with the class library's member names.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <utility>

class CString {
public:
  CString() = default;
  CString(const char* text) : s_(text ? text : "") {}
  CString(const char* text, int length) : s_(text ? std::string(text, length > 0 ? length : 0) : std::string()) {}
  CString(char ch, int repeat = 1) : s_(repeat > 0 ? repeat : 0, ch) {}
  CString(const std::string& text) : s_(text) {}
  CString(std::string&& text) : s_(std::move(text)) {}

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  const char* GetString() const { return s_.c_str(); }
  operator const char*() const { return s_.c_str(); }
  const std::string& str() const { return s_; }

  char GetAt(int i) const { return (i >= 0 && i < GetLength()) ? s_[i] : '\0'; }
  char operator[](int i) const { return GetAt(i); }
  void SetAt(int i, char ch) {
    if (i >= 0 && i < GetLength()) s_[i] = ch;
  }

  CString& operator=(const char* text) {
    s_ = text ? text : "";
    return *this;
  }
  CString& operator=(char ch) {
    s_.assign(1, ch);
    return *this;
  }
  CString& operator+=(const CString& other) {
    s_ += other.s_;
    return *this;
  }
  CString& operator+=(const char* text) {
    if (text) s_ += text;
    return *this;
  }
  CString& operator+=(char ch) {
    s_ += ch;
    return *this;
  }
  void Append(const char* text) { *this += text; }
  void AppendChar(char ch) { s_ += ch; }

  int Compare(const char* text) const;
  int CompareNoCase(const char* text) const;

  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(const char* set) const;
  CString SpanExcluding(const char* set) const;

  int Find(char ch, int start = 0) const;
  int Find(const char* text, int start = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(const char* set) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  CString& Trim();
  CString& Trim(const char* set);
  CString& TrimLeft();
  CString& TrimLeft(const char* set);
  CString& TrimRight();
  CString& TrimRight(const char* set);

  int Replace(char oldCh, char newCh);
  int Replace(const char* oldText, const char* newText);
  int Remove(char ch);
  int Insert(int index, const char* text);
  int Insert(int index, char ch);
  int Delete(int index, int count = 1);

  void Format(const char* format, ...);
  void FormatV(const char* format, va_list args);
  void AppendFormat(const char* format, ...);

  // Room for a Win32 call to write into; ReleaseBuffer takes the length back.
  char* GetBuffer(int minLength);
  void ReleaseBuffer(int newLength = -1);
  char* GetBufferSetLength(int length);

  BOOL LoadString(UINT id);

private:
  std::string s_;
};

inline CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
inline CString operator+(const CString& a, const char* b) { return CString(a.str() + (b ? b : "")); }
inline CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.str()); }
inline CString operator+(const CString& a, char b) { return CString(a.str() + b); }
inline CString operator+(char a, const CString& b) { return CString(a + b.str()); }

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(b == a); }
inline bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
