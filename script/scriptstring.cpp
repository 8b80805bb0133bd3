// CScriptString: growth, search and edit operations; CScriptText: the shared text of values.
#include "script/scriptstring.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace {

int g_textLengthLimit = kMaxTextLength;

// Throws unless `length` characters may be added to a text of `have`.
void CheckGrowth(int have, long long length) {
  if (length > static_cast<long long>(g_textLengthLimit) - have) throw CTextTooLong();
}

// The buffer of every empty string that has not grown: an empty string costs no allocation.
// Nothing but its terminator is ever written into it (a string grows before it holds a character).
char g_emptyText[1] = {'\0'};

void FreeBuffer(char* buffer, int capacity) {
  if (capacity > 0 && buffer != g_emptyText) delete[] buffer;
}

char* NewBuffer(int capacity) {
  char* p = new char[capacity];
  p[0] = '\0';
  return p;
}

// Capacity for a text of `length` characters that no longer fits: twice the length plus one,
// without overflowing for very long texts.
int GrownCapacity(int length) { return length > (INT_MAX - 1) / 2 ? length + 1 : 2 * length + 1; }

}  // namespace

int TextLengthLimit() { return g_textLengthLimit; }

void SetTextLengthLimitForTest(int limit) {
  g_textLengthLimit = limit > 0 && limit < kMaxTextLength ? limit : kMaxTextLength;
}

CScriptString::CScriptString() : buffer_(g_emptyText), length_(0), capacity_(1) {}

CScriptString::CScriptString(const char* text) {
  length_ = text ? static_cast<int>(strlen(text)) : 0;
  capacity_ = length_ + 1;
  buffer_ = length_ ? new char[capacity_] : g_emptyText;
  if (length_) memcpy(buffer_, text, length_);
  buffer_[length_] = '\0';
}

CScriptString::CScriptString(int room) {
  capacity_ = (room > 0 ? room : 0) + 1;
  buffer_ = NewBuffer(capacity_);
  length_ = 0;
}

CScriptString::CScriptString(const CScriptString& other) {
  length_ = other.length_;
  capacity_ = length_ + 1;
  buffer_ = length_ ? new char[capacity_] : g_emptyText;
  memcpy(buffer_, other.buffer_, length_ + 1);
}

CScriptString::CScriptString(CScriptString&& other) noexcept
    : buffer_(other.buffer_), length_(other.length_), capacity_(other.capacity_) {
  // The moved-from string keeps a valid (static) empty text until it is assigned or destroyed.
  other.buffer_ = g_emptyText;
  other.length_ = 0;
  other.capacity_ = 0;
}

CScriptString& CScriptString::operator=(const CScriptString& other) {
  if (this != &other) Assign(other);
  return *this;
}

CScriptString& CScriptString::operator=(CScriptString&& other) noexcept {
  if (this != &other) {
    std::swap(buffer_, other.buffer_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
  }
  return *this;
}

CScriptString::~CScriptString() {
  FreeBuffer(buffer_, capacity_);
}

void CScriptString::Reserve(int capacity) {
  if (capacity <= capacity_) return;
  char* p = new char[capacity];
  memcpy(p, buffer_, length_ + 1);
  FreeBuffer(buffer_, capacity_);
  buffer_ = p;
  capacity_ = capacity;
}

void CScriptString::Assign(const CScriptString& other) {
  if (this == &other) return;
  AssignText(other.buffer_, other.length_);
}

void CScriptString::AssignText(const char* text) { AssignText(text, text ? static_cast<int>(strlen(text)) : 0); }

void CScriptString::AssignText(const char* text, int length) {
  if (!text || length < 0) length = 0;
  if (length + 1 > capacity_) {
    // Assignment does not copy the old text; a text that points into our own buffer cannot need
    // more room than the buffer has, so freeing first is safe.
    char* p = new char[length + 1];
    FreeBuffer(buffer_, capacity_);
    buffer_ = p;
    capacity_ = length + 1;
  }
  if (length) memmove(buffer_, text, length);
  buffer_[length] = '\0';
  length_ = length;
}

void CScriptString::AssignChar(char ch) {
  char text[1] = {ch};
  AssignText(text, 1);
}

void CScriptString::Append(const CScriptString& other) {
  if (this == &other) {
    CScriptString copy(other);
    AppendText(copy.buffer_, copy.length_);
  } else {
    AppendText(other.buffer_, other.length_);
  }
}

void CScriptString::AppendText(const char* text) { AppendText(text, text ? static_cast<int>(strlen(text)) : 0); }

void CScriptString::AppendText(const char* text, int length) {
  if (!text || length <= 0) return;
  CheckGrowth(length_, length);
  int newLength = length_ + length;
  if (newLength + 1 > capacity_) {
    if (text >= buffer_ && text < buffer_ + capacity_) {  // appending a part of ourselves
      CScriptString copy;
      copy.AssignText(text, length);
      AppendText(copy.buffer_, copy.length_);
      return;
    }
    Reserve(GrownCapacity(newLength));
  }
  memmove(buffer_ + length_, text, length);
  length_ = newLength;
  buffer_[length_] = '\0';
}

void CScriptString::AppendChar(char ch) {
  CheckGrowth(length_, 1);
  if (length_ + 2 > capacity_) Reserve(length_ > (INT_MAX - 3) / 2 ? length_ + 2 : 2 * length_ + 3);
  buffer_[length_++] = ch;
  buffer_[length_] = '\0';
}

bool CScriptString::Equals(const CScriptString& other) const {
  return length_ == other.length_ && memcmp(buffer_, other.buffer_, length_) == 0;
}

bool CScriptString::Equals(const char* text) const { return strcmp(buffer_, text ? text : "") == 0; }

int CScriptString::CompareNoCase(const char* text) const { return _stricmp(buffer_, text ? text : ""); }

void CScriptString::MakeLower() {
  if (length_) CharLowerBuffA(buffer_, length_);
}

void CScriptString::MakeUpper() {
  if (length_) CharUpperBuffA(buffer_, length_);
}

void CScriptString::Empty() {
  FreeBuffer(buffer_, capacity_);
  buffer_ = g_emptyText;
  length_ = 0;
  capacity_ = 1;
}

void CScriptString::EraseRange(int pos, int off) {
  if (pos < 0 || pos >= off || off > length_) return;
  memmove(buffer_ + pos, buffer_ + off, length_ - off + 1);
  length_ -= off - pos;
}

void CScriptString::Truncate(int n) {
  if (n < 0 || n >= length_) return;
  length_ = n;
  buffer_[n] = '\0';
}

void CScriptString::AssignSubstring(const CScriptString& other, int start, int end) {
  if (start < 0 || start >= end || end > other.length_) {
    AssignText("", 0);
    return;
  }
  if (this == &other) {
    CScriptString copy(other);
    AssignText(copy.buffer_ + start, end - start);
  } else {
    AssignText(other.buffer_ + start, end - start);
  }
}

int CScriptString::FindLastNotOf(const char* set) const {
  if (!set) set = "";
  for (int i = length_ - 1; i >= 0; --i)
    if (!strchr(set, buffer_[i])) return i;
  return length_;
}

int CScriptString::FindFirstOf(const char* set) const {
  if (!set) set = "";
  for (int i = 0; i < length_; ++i)
    if (strchr(set, buffer_[i])) return i;
  return length_;
}

int CScriptString::FindOccurrence(const char* text, bool caseSensitive, int n) const {
  int textLength = text ? static_cast<int>(strlen(text)) : 0;
  if (n == 0) return length_;
  if (textLength == 0 || textLength > length_) return n > 0 ? length_ : -1;
  auto matchesAt = [&](int i) {
    return caseSensitive ? strncmp(buffer_ + i, text, textLength) == 0
                         : _strnicmp(buffer_ + i, text, textLength) == 0;
  };
  if (n > 0) {
    for (int i = 0; i + textLength <= length_; ++i)
      if (matchesAt(i) && --n == 0) return i;
    return length_;
  }
  for (int i = length_ - textLength; i >= 0; --i)
    if (matchesAt(i) && ++n == 0) return i;
  return -1;
}

void CScriptString::TrimRight(const char* set) {
  int last = FindLastNotOf(set);
  if (last == length_) {
    if (length_) Truncate(0);
  } else {
    Truncate(last + 1);
  }
}

char* CScriptString::GetBuffer(int length) {
  if (length < 0) length = 0;
  CheckGrowth(0, length);
  Reserve(length + 1);
  return buffer_;
}

void CScriptString::SetLength(int length) {
  if (length < 0) length = static_cast<int>(strlen(buffer_));
  if (length >= capacity_) length = capacity_ - 1;
  length_ = length;
  buffer_[length_] = '\0';
}

// ---- CScriptText --------------------------------------------------------------------------------

CScriptText::Block* CScriptText::NewBlock(int capacity) {
  Block* block = static_cast<Block*>(::operator new(sizeof(Block) + static_cast<size_t>(capacity)));
  block->refs = 1;
  block->used = 0;
  block->capacity = capacity;
  return block;
}

CScriptText& CScriptText::operator=(const CScriptText& other) {
  if (other.block_) ++other.block_->refs;  // first: `other` may be this
  Release();
  block_ = other.block_;
  length_ = other.length_;
  return *this;
}

CScriptText& CScriptText::operator=(CScriptText&& other) noexcept {
  if (this != &other) {
    Release();
    block_ = other.block_;
    length_ = other.length_;
    other.block_ = nullptr;
    other.length_ = 0;
  }
  return *this;
}

void CScriptText::Release() {
  if (block_ && --block_->refs == 0) ::operator delete(block_);
  block_ = nullptr;
  length_ = 0;
}

const char* CScriptText::GetText() const {
  if (!block_) return "";
  if (block_->used != length_) {
    // Another holder appended past this text: its terminator was overwritten.
    if (block_->refs == 1) {
      block_->used = length_;
      block_->Text()[length_] = '\0';
    } else {
      Block* own = NewBlock(length_ + 1);
      memcpy(own->Text(), block_->Text(), length_);
      own->Text()[length_] = '\0';
      own->used = length_;
      --block_->refs;
      block_ = own;
    }
  }
  return block_->Text();
}

void CScriptText::Assign(const char* text, int length) {
  if (!text || length <= 0) {
    Release();
    return;
  }
  if (block_ && block_->refs == 1 && length < block_->capacity) {
    memmove(block_->Text(), text, length);
  } else {
    Block* block = NewBlock(length + 1);
    memcpy(block->Text(), text, length);  // before the old buffer goes: `text` may be in it
    Release();
    block_ = block;
  }
  block_->Text()[length] = '\0';
  block_->used = length;
  length_ = length;
}

void CScriptText::Append(const char* text, int length) {
  if (!text || length <= 0) return;
  CheckGrowth(length_, length);
  int newLength = length_ + length;
  if (block_ && block_->refs == 1) block_->used = length_;  // alone, the whole buffer is ours
  // Shared with one other holder (the variable this text was read from), the room past both
  // texts is ours too. With more holders, one may be a text that someone is still reading.
  if (block_ && block_->refs <= 2 && block_->used == length_ && newLength < block_->capacity) {
    // Only the room past every holder's text is written: `text` may lie before it.
    memmove(block_->Text() + length_, text, length);
  } else {
    Block* block = NewBlock(GrownCapacity(newLength));
    if (length_) memcpy(block->Text(), block_->Text(), length_);
    memcpy(block->Text() + length_, text, length);
    Release();
    block_ = block;
  }
  block_->Text()[newLength] = '\0';
  block_->used = newLength;
  length_ = newLength;
}
