// CScriptValue: the script language's variant value (number, string, array or reference).
// Copies of a string share its text (see CScriptText); copies of an array share its elements
// until one of them writes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "script/scriptstring.h"

// Text of a number as scripts see it: "%.15g" with a three-digit exponent ("1e+020"),
// "1.#INF" / "-1.#INF" for infinities, "-1.#IND" / "1.#QNAN" for NaN. `buffer` holds 64 bytes.
void FormatScriptNumber(double value, char* buffer);
// Gives the exponent of a number text at least three digits, as the program has always written
// it ("1e+20" becomes "1e+020"); the text has room for two more characters.
void WidenExponent(char* text);
// Number from a text: "0x"/"0X" and hexadecimal digits, else the leading decimal number
// (optional blanks, sign, digits, fraction, exponent); no number gives 0.
double ScriptTextToNumber(const char* text);
// Integer from a text: the same hexadecimal rule, else the leading decimal integer, saturated.
int ScriptTextToInt(const char* text);
// Truncation toward zero, saturated at the 32-bit limits; NaN gives 0.
int ScriptNumberToInt(double value);

class CScriptValue {
public:
  enum Kind { kNumber = 1, kString = 2, kArray = 3, kReference = 4 };
  enum { kMaxDimensions = 8 };
  // Arrays hold fewer elements than this (the product of the sizes is checked as it grows).
  static constexpr std::uint32_t kMaxElements = 0x1000000;

  CScriptValue();  // the number 0
  CScriptValue(const CScriptValue& other);
  CScriptValue(CScriptValue&& other) noexcept;
  CScriptValue& operator=(const CScriptValue& other);
  CScriptValue& operator=(CScriptValue&& other) noexcept;
  ~CScriptValue();

  Kind GetKind() const { return static_cast<Kind>(kind_); }

  // Setters.
  void SetInt(int n);
  void SetNumber(double d);
  void SetString(const char* text);
  void SetString(const CScriptString& text);
  // A reference to another value (ByRef in transit). `keepAlive` may own the target.
  void SetReference(CScriptValue* value, std::shared_ptr<CScriptValue> keepAlive = nullptr);
  void Reset();
  void Copy(const CScriptValue& other);

  // Getters. A number's text is made once and kept until the value changes. The text is good
  // until the value changes or a copy sharing it appends to it.
  const char* GetString() const;
  int GetStringLength() const;
  double GetNumber() const;
  int GetInt() const {  // a number in range inline: keyword and built-in ids are read per token
    return kind_ == kNumber && number_ > -2147483648.0 && number_ < 2147483647.0 ? static_cast<int>(number_)
                                                                                 : GetIntSlow();
  }
  CScriptValue* GetReference() const { return kind_ == kReference ? extra_->ref : nullptr; }

  // Conversions in place.
  void ChangeToNumber();
  void ChangeToString();

  // Tests.
  bool IsNumber() const { return kind_ == kNumber; }
  bool IsString() const { return kind_ == kString; }
  bool IsArray() const { return kind_ == kArray; }
  bool IsReference() const { return kind_ == kReference; }
  bool IsInteger() const;
  bool IsFloat() const;
  bool IsTrue() const;

  // Arithmetic in place; arrays and references on either side leave the value unchanged.
  void Add(const CScriptValue& other);
  void Subtract(const CScriptValue& other);
  void Multiply(const CScriptValue& other);
  void Divide(const CScriptValue& other);
  void Not();
  void Concat(const CScriptValue& other);

  // Comparisons; false when either side is an array or a reference.
  bool IsEqual(const CScriptValue& other) const;      // "="
  bool IsEqualCase(const CScriptValue& other) const;  // "=="
  bool IsGreater(const CScriptValue& other) const;
  bool IsLess(const CScriptValue& other) const;
  bool And(const CScriptValue& other) const;
  bool Or(const CScriptValue& other) const;

  // Arrays. The pending subscripts are the element to reach, or the sizes of a new array.
  void ClearSubscripts() {
    if (extra_) extra_->subscriptCount = 0;
  }
  bool AddSubscript(int i);
  int GetSubscriptCount() const { return extra_ ? extra_->subscriptCount : 0; }
  bool SubscriptsValid() const;
  int ElementIndex() const;
  // The element to write: an array that shares its elements with copies gets its own first.
  CScriptValue* GetElement();
  // The element to read only: it may be shared with copies of this array.
  CScriptValue* GetElementToRead();
  // The element with shared ownership, for references that must outlive a ReDim or reassignment.
  std::shared_ptr<CScriptValue> GetElementShared();
  // Makes an array of the pending sizes; false (and the number 0) when a size is below 1, the
  // total reaches kMaxElements or memory runs out. `tooLarge` tells the last two apart from the first.
  bool CreateArray(bool* tooLarge = nullptr);
  // ReDim: gives an array the pending sizes, keeping every element whose subscripts are valid in
  // both shapes (none when the number of dimensions changes), so references bound to them stay
  // bound. A value that is no array is made one. Fails as CreateArray does.
  bool ResizeArray(bool* tooLarge = nullptr);
  void FreeArray();
  int GetDimension(int i) const;
  int GetElementCount() const { return kind_ == kArray ? static_cast<int>(extra_->array->count) : 0; }

private:
  // An element in its own allocation, with the count of its holders: the array's slot and each
  // reference bound to it. One allocation and one pointer per element.
  struct Element;
  // The elements of an array, shared by the values copied from it. A value writes only to
  // elements no other value shares: it copies them first. A reference bound to an element
  // writes in place, so elements are never shared while one is bound.
  struct ArrayData {
    ArrayData() = default;
    ArrayData(const ArrayData&) = delete;
    ArrayData& operator=(const ArrayData&) = delete;
    ~ArrayData();  // lets go of every element
    int dimensions = 0;
    int sizes[kMaxDimensions] = {};
    std::uint32_t count = 0;
    bool mayBeBound = false;  // an element was bound to a reference since the last look
    std::vector<Element*> elements;  // null until the element is first reached
  };
  // What only arrays, references and values given subscripts use, kept apart so that a number
  // or a string (every array element, most of the time) stays small.
  struct Extra {
    std::shared_ptr<ArrayData> array;  // kArray
    CScriptValue* ref = nullptr;       // kReference
    std::shared_ptr<CScriptValue> refHold;
    int subscripts[kMaxDimensions] = {};
    int subscriptCount = 0;
  };

  Extra& GetExtra();
  int GetIntSlow() const;
  ArrayData& Array() const { return *extra_->array; }  // kind kArray only
  ArrayData& OwnArray();  // kind kArray only: the elements, copied first when shared
  static std::shared_ptr<ArrayData> CopyArrayData(const ArrayData& from);
  // A store of `count` unreached elements, or null when memory runs out.
  static std::shared_ptr<ArrayData> NewArrayData(std::uint32_t count);
  // The element count of the pending sizes, or 0 when they make no array (see CreateArray).
  std::uint32_t PendingCount(bool* tooLarge) const;
  void Clear();  // frees string and array storage, kind number 0; keeps pending subscripts
  template <class Transfer>
  static void WalkCommonElements(const ArrayData& from, const ArrayData& to, Transfer transfer);

  Element* SlotElement(int index);  // the element at `index`, made as the number 0 on first use

  mutable double number_ = 0;         // the number, or a string's cached number
  // The kind and flags below sit in the text's tail padding in a 64-bit build.
  [[no_unique_address]] mutable CScriptText text_;  // the string, or a number's cached text
  std::uint8_t kind_ = kNumber;
  mutable bool numberValid_ = true;   // string: number_ holds its number
  mutable bool textValid_ = false;    // number: text_ holds its text
  std::unique_ptr<Extra> extra_;
};
