// CScriptValue: conversions, arithmetic, comparisons and arrays of the variant value.
#include "script/scriptvalue.h"

#include <algorithm>
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

// Every array element is a value: a number, a text handle, the kind and flags, and a pointer to
// what arrays and references need (24 bytes in the 32-bit program, 32 in a 64-bit build).
static_assert(sizeof(CScriptValue) <= sizeof(double) + 2 * sizeof(void*) + 8, "array elements stay small");

struct CScriptValue::Element {
  CScriptValue value;
  int holders = 1;  // the array's slot; one more for each bound reference

  void Release() {
    if (--holders == 0) delete this;
  }
};

CScriptValue::ArrayData::~ArrayData() {
  // An element takes its slot's pointer and one heap block of this size (32 bytes in the 32-bit
  // program, 40 in a 64-bit build).
  static_assert(sizeof(Element) <= sizeof(CScriptValue) + 8, "one block per element");
  for (Element* element : elements)
    if (element) element->Release();
}

CScriptValue::CScriptValue() = default;

CScriptValue::CScriptValue(const CScriptValue& other) { Copy(other); }

CScriptValue::CScriptValue(CScriptValue&& other) noexcept
    : number_(other.number_),
      text_(std::move(other.text_)),
      kind_(other.kind_),
      numberValid_(other.numberValid_),
      textValid_(other.textValid_),
      extra_(std::move(other.extra_)) {
  other.kind_ = kNumber;
  other.number_ = 0;
  other.numberValid_ = true;
  other.textValid_ = false;
}

CScriptValue& CScriptValue::operator=(const CScriptValue& other) {
  Copy(other);
  return *this;
}

CScriptValue& CScriptValue::operator=(CScriptValue&& other) noexcept {
  if (this == &other) return *this;
  // Our old array goes last: `other` may be one of its elements.
  std::unique_ptr<Extra> old = std::move(extra_);
  number_ = other.number_;
  text_ = std::move(other.text_);
  kind_ = other.kind_;
  numberValid_ = other.numberValid_;
  textValid_ = other.textValid_;
  extra_ = std::move(other.extra_);
  other.kind_ = kNumber;
  other.number_ = 0;
  other.numberValid_ = true;
  other.textValid_ = false;
  return *this;
}

CScriptValue::~CScriptValue() = default;

CScriptValue::Extra& CScriptValue::GetExtra() {
  if (!extra_) extra_ = std::make_unique<Extra>();
  return *extra_;
}

void CScriptValue::Clear() {
  if (extra_) {
    if (extra_->subscriptCount == 0) {
      extra_.reset();
    } else {
      extra_->array.reset();
      extra_->ref = nullptr;
      extra_->refHold.reset();
    }
  }
  text_.Release();
  kind_ = kNumber;
  number_ = 0;
  numberValid_ = true;
  textValid_ = false;
}

// ---- setters ----------------------------------------------------------------------------------

void CScriptValue::SetInt(int n) { SetNumber(n); }

void CScriptValue::SetNumber(double d) {
  if (kind_ != kNumber) Clear();
  number_ = d;
  numberValid_ = true;
  textValid_ = false;
}

void CScriptValue::SetString(const char* text) {
  size_t whole = text ? strlen(text) : 0;
  if (whole > static_cast<size_t>(TextLengthLimit())) throw CTextTooLong();
  int length = static_cast<int>(whole);
  if (kind_ == kArray || kind_ == kReference) {
    // The text may live inside this array; copy it before the array goes.
    CScriptText copy;
    copy.Assign(text, length);
    Clear();
    text_ = std::move(copy);
  } else {
    text_.Assign(text, length);
  }
  kind_ = kString;
  numberValid_ = false;
  textValid_ = false;
}

void CScriptValue::SetString(const CScriptString& text) { SetString(text.GetText()); }

void CScriptValue::SetReference(CScriptValue* value, std::shared_ptr<CScriptValue> keepAlive) {
  Clear();
  kind_ = kReference;
  Extra& extra = GetExtra();
  extra.ref = value;
  extra.refHold = std::move(keepAlive);
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
    case kNumber: {
      double number = other.number_;
      CScriptText text;
      if (other.textValid_) text = other.text_;
      SetNumber(number);
      if (!text.IsEmpty()) {
        text_ = std::move(text);
        textValid_ = true;
      }
      break;
    }
    case kString: {
      // Shares the text; taken before Clear, which may free the value `other` lives in.
      CScriptText text = other.text_;
      double number = other.number_;
      bool numberValid = other.numberValid_;
      if (kind_ != kNumber && kind_ != kString) Clear();
      text_ = std::move(text);
      kind_ = kString;
      number_ = number;
      numberValid_ = numberValid;
      textValid_ = false;
      break;
    }
    case kReference:
      SetReference(other.extra_->ref, other.extra_->refHold);
      break;
    case kArray: {
      std::shared_ptr<ArrayData> data = other.extra_->array;
      // A reference writes its element in place, where a sharing copy would see it: an array
      // with a bound element is copied instead.
      if (data->mayBeBound) {
        bool bound = false;
        for (const Element* element : data->elements) bound = bound || (element && element->holders > 1);
        if (bound) data = CopyArrayData(*data);
        else data->mayBeBound = false;
      }
      Clear();
      kind_ = kArray;
      GetExtra().array = std::move(data);
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
        text_.Assign(buffer, static_cast<int>(strlen(buffer)));
        textValid_ = true;
      }
      return text_.GetText();
    default:
      return "";
  }
}

int CScriptValue::GetStringLength() const {
  if (kind_ != kString && kind_ != kNumber) return 0;
  if (kind_ == kNumber) GetString();
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

int CScriptValue::GetIntSlow() const {
  if (kind_ == kNumber) return ScriptNumberToInt(number_);
  if (kind_ == kString) return ScriptTextToInt(text_.GetText());
  return 0;
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
  // In place when this text ends its buffer's text and fits: "$s = $s & tail" does not copy $s.
  const char* tail = other.GetString();
  text_.Append(tail, other.GetStringLength());
  numberValid_ = false;
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
  Extra& extra = GetExtra();
  if (extra.subscriptCount >= kMaxDimensions) return false;
  extra.subscripts[extra.subscriptCount++] = i;
  return true;
}

bool CScriptValue::SubscriptsValid() const {
  if (kind_ != kArray || extra_->subscriptCount != Array().dimensions) return false;
  for (int i = 0; i < extra_->subscriptCount; ++i)
    if (extra_->subscripts[i] < 0 || extra_->subscripts[i] >= Array().sizes[i]) return false;
  return true;
}

int CScriptValue::ElementIndex() const {
  if (!SubscriptsValid()) return -1;
  std::uint32_t index = 0;
  for (int i = 0; i < extra_->subscriptCount; ++i) index = index * Array().sizes[i] + extra_->subscripts[i];
  return static_cast<int>(index);
}

CScriptValue::Element* CScriptValue::SlotElement(int index) {
  Element*& slot = Array().elements[index];
  if (!slot) slot = new Element;
  return slot;
}

std::shared_ptr<CScriptValue::ArrayData> CScriptValue::NewArrayData(std::uint32_t count) {
  std::shared_ptr<ArrayData> data;
  try {
    data = std::make_shared<ArrayData>();
    data->elements.resize(count);
    data->count = count;
  } catch (const std::bad_alloc&) {
    data.reset();
  }
  return data;
}

std::shared_ptr<CScriptValue::ArrayData> CScriptValue::CopyArrayData(const ArrayData& from) {
  auto data = std::make_shared<ArrayData>();
  data->dimensions = from.dimensions;
  memcpy(data->sizes, from.sizes, sizeof data->sizes);
  data->count = from.count;
  data->elements.resize(from.count);
  for (std::uint32_t i = 0; i < from.count; ++i)
    if (from.elements[i]) data->elements[i] = new Element{from.elements[i]->value};
  return data;
}

CScriptValue::ArrayData& CScriptValue::OwnArray() {
  std::shared_ptr<ArrayData>& data = extra_->array;
  if (data.use_count() > 1) data = CopyArrayData(*data);
  return *data;
}

std::shared_ptr<CScriptValue> CScriptValue::GetElementShared() {
  int index = ElementIndex();
  if (index < 0) return nullptr;
  OwnArray().mayBeBound = true;
  Element* element = SlotElement(index);
  ++element->holders;
  // Should the holder's own allocation fail, the deleter runs at once and the count is right.
  return std::shared_ptr<CScriptValue>(&element->value, [element](CScriptValue*) { element->Release(); });
}

CScriptValue* CScriptValue::GetElement() {
  int index = ElementIndex();
  if (index < 0) return nullptr;
  OwnArray();
  return &SlotElement(index)->value;
}

CScriptValue* CScriptValue::GetElementToRead() {
  // An element made here on first use is the number 0 for every value sharing the array.
  int index = ElementIndex();
  return index < 0 ? nullptr : &SlotElement(index)->value;
}

std::uint32_t CScriptValue::PendingCount(bool* tooLarge) const {
  if (tooLarge) *tooLarge = false;
  const int pending = GetSubscriptCount();
  if (pending == 0) return 0;
  std::uint64_t count = 1;
  for (int i = 0; i < pending; ++i) {
    if (extra_->subscripts[i] < 1) return 0;
    count *= static_cast<std::uint64_t>(extra_->subscripts[i]);
    if (count >= kMaxElements) {
      if (tooLarge) *tooLarge = true;
      return 0;
    }
  }
  return static_cast<std::uint32_t>(count);
}

bool CScriptValue::CreateArray(bool* tooLarge) {
  const std::uint32_t count = PendingCount(tooLarge);
  std::shared_ptr<ArrayData> data;
  if (count > 0) {
    data = NewArrayData(count);
    if (!data && tooLarge) *tooLarge = true;
  }
  Clear();
  if (!data) return false;
  data->dimensions = extra_->subscriptCount;
  memcpy(data->sizes, extra_->subscripts, sizeof(int) * data->dimensions);
  kind_ = kArray;
  extra_->array = std::move(data);
  return true;
}

bool CScriptValue::ResizeArray(bool* tooLarge) {
  if (kind_ != kArray) return CreateArray(tooLarge);
  const std::uint32_t count = PendingCount(tooLarge);
  if (count == 0) {
    Clear();
    return false;
  }
  const int dimensions = extra_->subscriptCount;
  const int* sizes = extra_->subscripts;
  ArrayData& old = Array();
  const bool shared = extra_->array.use_count() > 1;
  if (!shared && dimensions == old.dimensions && std::equal(sizes + 1, sizes + dimensions, old.sizes + 1)) {
    // Only the first size changes: the kept elements are the first ones and stay where they
    // are. The store grows to twice its room at least, so growing by one is cheap on average.
    std::vector<Element*>& elements = old.elements;
    if (count > elements.capacity()) {
      try {
        elements.reserve(std::max<size_t>(count, 2 * elements.capacity()));
      } catch (const std::bad_alloc&) {
        try {
          elements.reserve(count);
        } catch (const std::bad_alloc&) {
          if (tooLarge) *tooLarge = true;
          Clear();
          return false;
        }
      }
    }
    for (std::uint32_t i = count; i < old.count; ++i)
      if (elements[i]) elements[i]->Release();
    elements.resize(count);
    if (elements.capacity() / 4 > count) elements.shrink_to_fit();  // most of its room is no longer needed
    old.sizes[0] = sizes[0];
    old.count = count;
    return true;
  }
  std::shared_ptr<ArrayData> data = NewArrayData(count);
  if (!data) {
    if (tooLarge) *tooLarge = true;
    Clear();
    return false;
  }
  data->dimensions = dimensions;
  memcpy(data->sizes, sizes, sizeof(int) * dimensions);
  // Elements shared with another value are copied; our own move over with their references.
  if (dimensions == old.dimensions) {
    WalkCommonElements(old, *data, [&](std::uint32_t f, std::uint32_t t) {
      Element*& from = old.elements[f];
      if (!from) return;
      if (shared) {
        data->elements[t] = new Element{from->value};
      } else {
        data->elements[t] = from;
        from = nullptr;
      }
    });
  }
  extra_->array = std::move(data);
  return true;
}

void CScriptValue::FreeArray() {
  if (kind_ == kArray) Clear();
}

int CScriptValue::GetDimension(int i) const {
  if (kind_ != kArray) return 0;
  if (i == 0) return Array().dimensions;
  if (i >= 1 && i <= Array().dimensions) return Array().sizes[i - 1];
  return 0;
}

template <class Transfer>
void CScriptValue::WalkCommonElements(const ArrayData& from, const ArrayData& to, Transfer transfer) {
  int dims = from.dimensions;
  int common[kMaxDimensions];
  for (int d = 0; d < dims; ++d) {
    common[d] = from.sizes[d] < to.sizes[d] ? from.sizes[d] : to.sizes[d];
    if (common[d] <= 0) return;
  }
  int at[kMaxDimensions] = {};
  for (;;) {
    std::uint32_t fromIndex = 0, toIndex = 0;
    for (int d = 0; d < dims; ++d) {
      fromIndex = fromIndex * from.sizes[d] + at[d];
      toIndex = toIndex * to.sizes[d] + at[d];
    }
    transfer(fromIndex, toIndex);
    int d = 0;  // the first subscript counts fastest
    while (d < dims && ++at[d] == common[d]) at[d++] = 0;
    if (d == dims) break;
  }
}
