// CArray and its string/unsigned specialisations: a growable array with MFC's interface subset.
//
// Contract: indices are zero-based; GetAt/ElementAt/operator[] on an index outside [0, size) is a
// programming error and throws std::out_of_range rather than reading past the end. SetAtGrow
// grows the array with value-initialised elements.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/cstring.h"

template <class T, class ARG_T = const T&>
class CArray {
 public:
  int GetSize() const { return static_cast<int>(v_.size()); }
  int GetCount() const { return GetSize(); }
  int GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return v_.empty(); }
  void SetSize(int n, int /*growBy*/ = -1) { v_.resize(static_cast<std::size_t>(n < 0 ? 0 : n)); }
  void RemoveAll() { v_.clear(); }
  void FreeExtra() { v_.shrink_to_fit(); }

  const T& GetAt(int i) const { return v_.at(static_cast<std::size_t>(i)); }
  T& ElementAt(int i) { return v_.at(static_cast<std::size_t>(i)); }
  void SetAt(int i, ARG_T value) { v_.at(static_cast<std::size_t>(i)) = value; }
  void SetAtGrow(int i, ARG_T value) {
    if (i >= GetSize()) SetSize(i + 1);
    v_.at(static_cast<std::size_t>(i)) = value;
  }
  T& operator[](int i) { return ElementAt(i); }
  const T& operator[](int i) const { return GetAt(i); }
  T* GetData() { return v_.data(); }
  const T* GetData() const { return v_.data(); }

  int Add(ARG_T value) {
    v_.push_back(value);
    return GetSize() - 1;
  }
  int Append(const CArray& other) {
    int first = GetSize();
    v_.insert(v_.end(), other.v_.begin(), other.v_.end());
    return first;
  }
  void Copy(const CArray& other) { v_ = other.v_; }
  void InsertAt(int i, ARG_T value, int count = 1) {
    v_.insert(v_.begin() + i, static_cast<std::size_t>(count), value);
  }
  void RemoveAt(int i, int count = 1) { v_.erase(v_.begin() + i, v_.begin() + i + count); }

  auto begin() { return v_.begin(); }
  auto end() { return v_.end(); }
  auto begin() const { return v_.begin(); }
  auto end() const { return v_.end(); }

 private:
  std::vector<T> v_;
};

class CStringArray : public CArray<CString, const char*> {};
class CUIntArray : public CArray<UINT, UINT> {};
