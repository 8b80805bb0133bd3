// CArray and CStringArray: growable arrays with the class library's member names.
#pragma once

#include <type_traits>
#include <utility>
#include <vector>

#include "framework/cstring.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
  int GetSize() const { return static_cast<int>(items_.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return items_.empty(); }
  void SetSize(int size) { items_.resize(size > 0 ? size : 0); }

  const TYPE& GetAt(int i) const { return items_.at(i); }
  TYPE& GetAt(int i) { return items_.at(i); }
  TYPE& ElementAt(int i) { return items_.at(i); }
  void SetAt(int i, ARG_TYPE value) { items_.at(i) = value; }
  const TYPE& operator[](int i) const { return items_.at(i); }
  TYPE& operator[](int i) { return items_.at(i); }
  TYPE* GetData() { return items_.data(); }

  int Add(ARG_TYPE value) {
    items_.push_back(value);
    return GetSize() - 1;
  }
  int Add(TYPE&& value)
    requires(!std::is_same_v<TYPE, ARG_TYPE>)
  {
    items_.push_back(std::move(value));
    return GetSize() - 1;
  }
  int Append(const CArray& other) {
    int first = GetSize();
    if (&other == this) {
      std::vector<TYPE> copy(other.items_);
      items_.insert(items_.end(), copy.begin(), copy.end());
    } else {
      items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    }
    return first;
  }
  void Copy(const CArray& other) {
    if (&other != this) items_ = other.items_;
  }
  void InsertAt(int i, ARG_TYPE value, int count = 1) {
    if (i < 0 || count <= 0) return;
    if (i > GetSize()) items_.resize(i);
    items_.insert(items_.begin() + i, count, value);
  }
  void RemoveAt(int i, int count = 1) {
    if (i < 0 || count <= 0 || i >= GetSize()) return;
    if (count > GetSize() - i) count = GetSize() - i;
    items_.erase(items_.begin() + i, items_.begin() + i + count);
  }
  void RemoveAll() { items_.clear(); }

  typename std::vector<TYPE>::iterator begin() { return items_.begin(); }
  typename std::vector<TYPE>::iterator end() { return items_.end(); }
  typename std::vector<TYPE>::const_iterator begin() const { return items_.begin(); }
  typename std::vector<TYPE>::const_iterator end() const { return items_.end(); }

private:
  std::vector<TYPE> items_;
};

class CStringArray : public CArray<CString, const char*> {};
