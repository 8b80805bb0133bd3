// CScriptString: the script engine's own 8-bit, zero-terminated string with explicit growth.
#pragma once

class CScriptString {
public:
  CScriptString();  // empty, capacity 1
  CScriptString(const char* text);  // capacity = length + 1
  explicit CScriptString(int room);  // empty, with room for `room` characters
  CScriptString(const CScriptString& other);
  CScriptString(CScriptString&& other) noexcept;
  CScriptString& operator=(const CScriptString& other);
  CScriptString& operator=(CScriptString&& other) noexcept;
  ~CScriptString();

  const char* GetText() const { return buffer_; }
  operator const char*() const { return buffer_; }
  int GetLength() const { return length_; }
  int GetCapacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }

  // Character i, or the terminator when i is out of range.
  const char* CharAt(int i) const { return (i >= 0 && i < length_) ? buffer_ + i : buffer_ + length_; }

  void Assign(const CScriptString& other);
  void AssignText(const char* text);
  void AssignText(const char* text, int length);
  void AssignChar(char ch);
  void Append(const CScriptString& other);
  void AppendText(const char* text);
  void AppendText(const char* text, int length);
  void AppendChar(char ch);

  bool Equals(const CScriptString& other) const;
  bool Equals(const char* text) const;
  int CompareNoCase(const char* text) const;
  void MakeLower();
  void MakeUpper();

  // Frees the buffer and leaves an empty string of capacity 1.
  void Empty();
  // Removes the characters pos .. off-1, only when 0 <= pos < off <= length.
  void EraseRange(int pos, int off);
  // Cuts at n when 0 <= n < length.
  void Truncate(int n);
  // Characters start .. end-1 of other; empty unless 0 <= start < end <= other's length.
  void AssignSubstring(const CScriptString& other, int start, int end);
  // Index of the last character not in `set` / the first in `set`; the length when none.
  int FindLastNotOf(const char* set) const;
  int FindFirstOf(const char* set) const;
  // Position of the n-th occurrence of `text` (forward for n > 0, from the end for n < 0;
  // overlapping occurrences count). Not enough occurrences, or an empty `text`: the length
  // scanning forward, -1 scanning backward. n = 0 gives the length.
  int FindOccurrence(const char* text, bool caseSensitive, int n) const;
  // Removes trailing characters that are in `set`.
  void TrimRight(const char* set);

  // Room for a call to write into: at least `length` characters, then SetLength.
  char* GetBuffer(int length);
  void SetLength(int length);

private:
  void Reserve(int capacity);  // grows to exactly `capacity` when smaller, keeping the text

  char* buffer_;
  int length_;
  int capacity_;
};
