// CScriptString: the script engine's own 8-bit, zero-terminated string with explicit growth;
// CScriptText: the text of a script value, shared by the values copied from it.
#pragma once

// The longest text a string or a script value holds: its length and terminator fit an int.
constexpr int kMaxTextLength = 2147483646;
// Thrown when a text would grow past the longest length (TextLengthLimit); the run loop ends the
// run with a script error, as it does when memory runs out.
struct CTextTooLong {};
// kMaxTextLength, unless a test has set a shorter limit.
int TextLengthLimit();
void SetTextLengthLimitForTest(int limit);

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

// The text of a script value. Copies share one buffer, so copying a value costs no allocation
// and no copy of its text. A holder whose text reaches the end of what the buffer holds may
// append in place while the buffer has room and at most one other holder shares it (the
// variable its text was read from), so "$s = $s & tail" grows one buffer (to twice the new
// length when it is full) instead of copying the whole text at every append. A holder left
// behind by such an append keeps its own length; it copies its text out (or, alone, cuts the
// buffer back) the next time its text is read, so every text read ends at its own length.
// A pointer from GetText is good until this text changes or another holder appends.
class CScriptText {
public:
  CScriptText() = default;
  CScriptText(const CScriptText& other) : block_(other.block_), length_(other.length_) {
    if (block_) ++block_->refs;
  }
  CScriptText(CScriptText&& other) noexcept : block_(other.block_), length_(other.length_) {
    other.block_ = nullptr;
    other.length_ = 0;
  }
  CScriptText& operator=(const CScriptText& other);
  CScriptText& operator=(CScriptText&& other) noexcept;
  ~CScriptText() { Release(); }

  // The zero-terminated text.
  const char* GetText() const;
  int GetLength() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }

  // `text` may point into this text's own buffer.
  void Assign(const char* text, int length);
  void Append(const char* text, int length);
  // Lets go of the buffer: the empty text.
  void Release();

private:
  struct Block {
    int refs;      // holders of the buffer
    int used;      // the longest holder's length: the terminator is at used
    int capacity;  // bytes for the text, terminator included
    char* Text() { return reinterpret_cast<char*>(this + 1); }
  };
  static Block* NewBlock(int capacity);

  mutable Block* block_ = nullptr;  // null: the empty text
  int length_ = 0;
};
