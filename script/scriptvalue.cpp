// CScriptValue: conversions, arithmetic, comparisons and arrays of the variant value.
#include "script/scriptvalue.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "script/sysutil/sysutil.h"

// ---- number text ------------------------------------------------------------------------------

void FormatScriptNumber(double value, char* buffer) {
  if (std::isnan(value)) {
    strcpy(buffer, std::signbit(value) ? "-1.#IND" : "1.#QNAN");
    return;
  }
  if (std::isinf(value)) {
    strcpy(buffer, value > 0 ? "1.#INF" : "-1.#INF");
    return;
  }
  snprintf(buffer, 64, "%.15g", value);
  WidenExponent(buffer);
}

void WidenExponent(char* text) {
  char* e = strpbrk(text, "eE");
  if (!e) return;
  char* digits = e + 1;
  if (*digits == '+' || *digits == '-') ++digits;
  int count = static_cast<int>(strlen(digits));
  if (count >= 3) return;
  memmove(digits + (3 - count), digits, count + 1);
  memset(digits, '0', 3 - count);
}

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool HasHexPrefix(const char* text) { return text[0] == '0' && (text[1] == 'x' || text[1] == 'X'); }

}  // namespace

double ScriptTextToNumber(const char* text) {
  if (!text) return 0;
  if (HasHexPrefix(text)) {
    int value;
    HexToInt(text + 2, value);  // a bad digit leaves 0
    return value;
  }
  // Only the characters of a plain decimal number reach strtod, so texts such as "inf", "nan"
  // or "0x..." after blanks read as 0, as they always did.
  const char* p = text;
  while (IsBlank(*p)) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (IsDigit(*p)) ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p, digits = true;
  }
  if (!digits) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  std::string number(start, p);
  return strtod(number.c_str(), nullptr);
}

int ScriptTextToInt(const char* text) {
  if (!text) return 0;
  if (HasHexPrefix(text)) {
    int value;
    HexToInt(text + 2, value);
    return value;
  }
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long value = 0;
  while (IsDigit(*p)) {
    value = value * 10 + (*p++ - '0');
    if (value > 2147483648LL) value = 2147483648LL;  // saturate; keep going over the digits
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int ScriptNumberToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT_MAX;
  if (value <= -2147483648.0) return INT_MIN;
  return static_cast<int>(value);  // truncation toward zero, in range
}

// ---- construction -----------------------------------------------------------------------------

CScriptValue::CScriptValue() = default;

CScriptValue::CScriptValue(const CScriptValue& other) { Copy(other); }

CScriptValue::CScriptValue(CScriptValue&& other) noexcept { *this = std::move(other); }

CScriptValue& CScriptValue::operator=(const CScriptValue& other) {
  Copy(other);
  return *this;
}

CScriptValue& CScriptValue::operator=(CScriptValue&& other) noexcept {
  if (this == &other) return *this;
  kind_ = other.kind_;
  int_ = other.int_;
  intValid_ = other.intValid_;
  number_ = other.number_;
  numberValid_ = other.numberValid_;
  text_ = std::move(other.text_);
  textValid_ = other.textValid_;
  ref_ = other.ref_;
  refHold_ = std::move(other.refHold_);
  array_ = std::move(other.array_);
  subscriptCount_ = other.subscriptCount_;
  memcpy(subscripts_, other.subscripts_, sizeof subscripts_);
  other.Clear();
  return *this;
}

CScriptValue::~CScriptValue() = default;

void CScriptValue::Clear() {
  array_.reset();
  ref_ = nullptr;
  refHold_.reset();
  if (text_.GetCapacity() > 256) {
    text_.Empty();
  } else {
    text_.Truncate(0);
  }
  kind_ = kNumber;
  number_ = 0;
  numberValid_ = true;
  int_ = 0;
  intValid_ = true;
  textValid_ = false;
}

// ---- setters ----------------------------------------------------------------------------------

void CScriptValue::SetInt(int n) {
  if (kind_ != kNumber) Clear();
  kind_ = kNumber;
  number_ = n;
  numberValid_ = true;
  int_ = n;
  intValid_ = true;
  textValid_ = false;
}

void CScriptValue::SetNumber(double d) {
  if (kind_ != kNumber) Clear();
  kind_ = kNumber;
  number_ = d;
  numberValid_ = true;
  intValid_ = false;
  textValid_ = false;
}

void CScriptValue::SetString(const char* text) {
  if (kind_ == kArray || kind_ == kReference) {
    // The text may live inside this array; copy it before the array goes.
    CScriptString copy(text);
    Clear();
    text_ = std::move(copy);
  } else {
    text_.AssignText(text);
  }
  kind_ = kString;
  numberValid_ = false;
  intValid_ = false;
  textValid_ = false;
}

void CScriptValue::SetString(const CScriptString& text) { SetString(text.GetText()); }

void CScriptValue::SetReference(CScriptValue* value, std::shared_ptr<CScriptValue> keepAlive) {
  Clear();
  kind_ = kReference;
  ref_ = value;
  refHold_ = std::move(keepAlive);
}

void CScriptValue::Reset() { Clear(); }

void CScriptValue::Copy(const CScriptValue& other) {
  if (this == &other) return;
  if (kind_ == kArray) {
    // `other` may be one of our own elements: build the copy first.
    CScriptValue copy(other);
    *this = std::move(copy);
    return;
  }
  switch (other.kind_) {
    case kNumber:
      SetNumber(other.number_);
      int_ = other.int_;
      intValid_ = other.intValid_;
      break;
    case kString:
      SetString(other.text_.GetText());
      break;
    case kReference:
      SetReference(other.ref_, other.refHold_);
      break;
    case kArray: {
      auto data = std::make_unique<ArrayData>();
      data->dimensions = other.array_->dimensions;
      memcpy(data->sizes, other.array_->sizes, sizeof data->sizes);
      data->count = other.array_->count;
      data->elements.resize(data->count);
      for (std::uint32_t i = 0; i < data->count; ++i)
        if (other.array_->elements[i]) data->elements[i] = std::make_shared<CScriptValue>(*other.array_->elements[i]);
      Clear();
      kind_ = kArray;
      array_ = std::move(data);
      break;
    }
  }
}

// ---- getters ----------------------------------------------------------------------------------

const char* CScriptValue::GetString() const {
  switch (kind_) {
    case kString:
      return text_.GetText();
    case kNumber:
      if (!textValid_) {
        char buffer[64];
        FormatScriptNumber(number_, buffer);
        text_.AssignText(buffer);
        textValid_ = true;
      }
      return text_.GetText();
    default:
      return "";
  }
}

int CScriptValue::GetStringLength() const {
  if (kind_ != kString && kind_ != kNumber) return 0;
  GetString();
  return text_.GetLength();
}

double CScriptValue::GetNumber() const {
  if (kind_ == kNumber) return number_;
  if (kind_ != kString) return 0;
  if (!numberValid_) {
    number_ = ScriptTextToNumber(text_.GetText());
    numberValid_ = true;
  }
  return number_;
}

int CScriptValue::GetInt() const {
  if (kind_ != kNumber && kind_ != kString) return 0;
  if (!intValid_) {
    int_ = kind_ == kNumber ? ScriptNumberToInt(number_) : ScriptTextToInt(text_.GetText());
    intValid_ = true;
  }
  return int_;
}

void CScriptValue::ChangeToNumber() {
  if (kind_ != kString) return;
  SetNumber(GetNumber());
}

void CScriptValue::ChangeToString() {
  if (kind_ != kNumber) return;
  GetString();
  kind_ = kString;
  numberValid_ = false;
  intValid_ = false;
  textValid_ = false;
}

// ---- tests ------------------------------------------------------------------------------------

bool CScriptValue::IsInteger() const { return kind_ == kNumber && std::isfinite(number_) && number_ == std::trunc(number_); }

bool CScriptValue::IsFloat() const { return kind_ == kNumber && std::isfinite(number_) && number_ != std::trunc(number_); }

bool CScriptValue::IsTrue() const {
  if (kind_ == kNumber) return number_ != 0;
  if (kind_ == kString) return !text_.IsEmpty();
  return false;
}

// ---- arithmetic -------------------------------------------------------------------------------

namespace {
bool Plain(const CScriptValue& v) { return v.IsNumber() || v.IsString(); }
}  // namespace

void CScriptValue::Add(const CScriptValue& other) {
  if (Plain(*this) && Plain(other)) SetNumber(GetNumber() + other.GetNumber());
}

void CScriptValue::Subtract(const CScriptValue& other) {
  if (Plain(*this) && Plain(other)) SetNumber(GetNumber() - other.GetNumber());
}

void CScriptValue::Multiply(const CScriptValue& other) {
  if (Plain(*this) && Plain(other)) SetNumber(GetNumber() * other.GetNumber());
}

void CScriptValue::Divide(const CScriptValue& other) {
  if (Plain(*this) && Plain(other)) SetNumber(GetNumber() / other.GetNumber());
}

void CScriptValue::Not() {
  if (!Plain(*this)) return;
  SetInt(std::trunc(GetNumber()) == 0 ? 1 : 0);
}

void CScriptValue::Concat(const CScriptValue& other) {
  if (!Plain(*this) || !Plain(other)) return;
  ChangeToString();
  if (&other == this) {
    CScriptString copy(text_);
    text_.Append(copy);
  } else {
    text_.AppendText(other.GetString(), other.GetStringLength());
  }
  numberValid_ = false;
  intValid_ = false;
}

// ---- comparisons ------------------------------------------------------------------------------

bool CScriptValue::IsEqual(const CScriptValue& other) const {
  if (!Plain(*this) || !Plain(other)) return false;
  if (IsString() && other.IsString()) return _stricmp(GetString(), other.GetString()) == 0;
  return GetNumber() == other.GetNumber();
}

bool CScriptValue::IsEqualCase(const CScriptValue& other) const {
  if (!Plain(*this) || !Plain(other)) return false;
  return strcmp(GetString(), other.GetString()) == 0;
}

bool CScriptValue::IsGreater(const CScriptValue& other) const {
  if (!Plain(*this) || !Plain(other)) return false;
  if (IsString() && other.IsString()) return _stricmp(GetString(), other.GetString()) > 0;
  return GetNumber() > other.GetNumber();
}

bool CScriptValue::IsLess(const CScriptValue& other) const {
  if (!Plain(*this) || !Plain(other)) return false;
  if (IsString() && other.IsString()) return _stricmp(GetString(), other.GetString()) < 0;
  return GetNumber() < other.GetNumber();
}

bool CScriptValue::And(const CScriptValue& other) const { return IsTrue() && other.IsTrue(); }

bool CScriptValue::Or(const CScriptValue& other) const { return IsTrue() || other.IsTrue(); }

// ---- arrays -----------------------------------------------------------------------------------

bool CScriptValue::AddSubscript(int i) {
  if (subscriptCount_ >= kMaxDimensions) return false;
  subscripts_[subscriptCount_++] = i;
  return true;
}

bool CScriptValue::SubscriptsValid() const {
  if (kind_ != kArray || subscriptCount_ != array_->dimensions) return false;
  for (int i = 0; i < subscriptCount_; ++i)
    if (subscripts_[i] < 0 || subscripts_[i] >= array_->sizes[i]) return false;
  return true;
}

int CScriptValue::ElementIndex() const {
  if (!SubscriptsValid()) return -1;
  std::uint32_t index = 0;
  for (int i = 0; i < subscriptCount_; ++i) index = index * array_->sizes[i] + subscripts_[i];
  return static_cast<int>(index);
}

std::shared_ptr<CScriptValue> CScriptValue::GetElementShared() {
  int index = ElementIndex();
  if (index < 0) return nullptr;
  std::shared_ptr<CScriptValue>& slot = array_->elements[index];
  if (!slot) slot = std::make_shared<CScriptValue>();
  return slot;
}

CScriptValue* CScriptValue::GetElement() {
  int index = ElementIndex();
  if (index < 0) return nullptr;
  std::shared_ptr<CScriptValue>& slot = array_->elements[index];
  if (!slot) slot = std::make_shared<CScriptValue>();
  return slot.get();
}

bool CScriptValue::CreateArray(bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  bool ok = subscriptCount_ > 0;
  std::uint64_t count = 1;
  for (int i = 0; ok && i < subscriptCount_; ++i) {
    if (subscripts_[i] < 1) {
      ok = false;
    } else {
      count *= static_cast<std::uint64_t>(subscripts_[i]);
      if (count >= kMaxElements) {
        ok = false;
        if (tooLarge) *tooLarge = true;
      }
    }
  }
  std::unique_ptr<ArrayData> data;
  if (ok) {
    data.reset(new (std::nothrow) ArrayData);
    try {
      if (data) data->elements.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
      data.reset();
    }
    if (!data) {
      ok = false;
      if (tooLarge) *tooLarge = true;
    }
  }
  Clear();
  if (!ok) return false;
  data->dimensions = subscriptCount_;
  memcpy(data->sizes, subscripts_, sizeof(int) * subscriptCount_);
  data->count = static_cast<std::uint32_t>(count);
  kind_ = kArray;
  array_ = std::move(data);
  return true;
}

void CScriptValue::FreeArray() {
  if (kind_ == kArray) Clear();
}

int CScriptValue::GetDimension(int i) const {
  if (kind_ != kArray) return 0;
  if (i == 0) return array_->dimensions;
  if (i >= 1 && i <= array_->dimensions) return array_->sizes[i - 1];
  return 0;
}

template <class Transfer>
void CScriptValue::WalkCommonElements(const ArrayData& from, Transfer transfer) {
  if (kind_ != kArray || from.dimensions != array_->dimensions) return;
  int dims = from.dimensions;
  int common[kMaxDimensions];
  for (int d = 0; d < dims; ++d) {
    common[d] = from.sizes[d] < array_->sizes[d] ? from.sizes[d] : array_->sizes[d];
    if (common[d] <= 0) return;
  }
  int at[kMaxDimensions] = {};
  for (;;) {
    std::uint32_t fromIndex = 0, toIndex = 0;
    for (int d = 0; d < dims; ++d) {
      fromIndex = fromIndex * from.sizes[d] + at[d];
      toIndex = toIndex * array_->sizes[d] + at[d];
    }
    transfer(fromIndex, toIndex);
    int d = 0;  // the first subscript counts fastest
    while (d < dims && ++at[d] == common[d]) at[d++] = 0;
    if (d == dims) break;
  }
}

void CScriptValue::CopyArrayElements(const CScriptValue& old) {
  if (old.kind_ != kArray || &old == this) return;
  const ArrayData& from = *old.array_;
  WalkCommonElements(from, [&](std::uint32_t f, std::uint32_t t) {
    if (from.elements[f]) array_->elements[t] = std::make_shared<CScriptValue>(*from.elements[f]);
  });
}

void CScriptValue::TakeArrayElements(CScriptValue& old) {
  if (old.kind_ != kArray || &old == this) return;
  ArrayData& from = *old.array_;
  WalkCommonElements(from, [&](std::uint32_t f, std::uint32_t t) {
    if (from.elements[f]) array_->elements[t] = std::move(from.elements[f]);
  });
}
