// Archive maps: records archived by field name rather than by position.
//
// A record is turned into an ArchiverDataMap, an ordered map from field name to item, where an
// item is either a run of raw bytes (a field item, m_bLeaf 1) or a nested map (a struct item,
// m_bLeaf 0). The map is then written as an XML document (map_xml.h); reading goes back the same
// way and the record is filled name by name, so a name the map lacks leaves its field untouched.
//
// Contract:
// - Names are byte strings ordered by plain byte-wise comparison (unsigned bytes, so "Z" sorts
//   before "a" and bytes from 0x80 after every ASCII character).
// - Items are held through shared ownership. Copying an ArchiverDataItem (or a map) copies the
//   child pointers, not the child items: the copy and the original share their children, and a
//   change made to a shared child through one is seen through the other. A child lives as long as
//   any map still refers to it, so clearing or destroying one of the sharers never frees an item
//   the other still holds, and nothing is freed twice or leaked. (A caller who puts an item inside
//   its own descendants makes a cycle, which shared ownership cannot free; the library never does.)
// - ClearDataMap empties a map; the items it held die with their last owner.
#pragma once

#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

struct ArchiverDataItem;

// Owning pointer to an item; items are shared between copies.
using ArchiverDataItemPtr = std::shared_ptr<ArchiverDataItem>;

// Ordered map from name to item. std::less<> lets lookups take a string_view or C string without
// building a key; std::string's ordering is byte-wise on unsigned bytes.
using ArchiverDataMap = std::map<std::string, ArchiverDataItemPtr, std::less<>>;

// The maps read from one XML document, in document order.
using ArchiverDataMapList = std::vector<ArchiverDataMap>;

// The growable byte array of a field item, with CArray's interface. Most record fields are a few
// bytes long, so up to kInline bytes live inside the array itself and need no allocation.
// Indices outside [0, size) throw std::out_of_range, as CArray's do.
class ArchiverByteArray {
 public:
  static constexpr int kInline = 16;

  ArchiverByteArray() = default;
  ArchiverByteArray(const ArchiverByteArray& other) { Assign(other.GetData(), other.size_); }
  ArchiverByteArray(ArchiverByteArray&& other) noexcept { Steal(other); }
  ArchiverByteArray& operator=(const ArchiverByteArray& other) {
    if (this != &other) Assign(other.GetData(), other.size_);
    return *this;
  }
  ArchiverByteArray& operator=(ArchiverByteArray&& other) noexcept {
    if (this != &other) {
      Release();
      Steal(other);
    }
    return *this;
  }
  ~ArchiverByteArray() { Release(); }

  int GetSize() const { return size_; }
  int GetCount() const { return size_; }
  int GetUpperBound() const { return size_ - 1; }
  bool IsEmpty() const { return size_ == 0; }
  // Grows with zero bytes or shrinks; a negative size empties the array.
  void SetSize(int n);
  void RemoveAll() { size_ = 0; }

  BYTE* GetData() { return OnHeap() ? heap_ : inline_; }
  const BYTE* GetData() const { return OnHeap() ? heap_ : inline_; }
  BYTE GetAt(int i) const { return GetData()[Checked(i)]; }
  BYTE& ElementAt(int i) { return GetData()[Checked(i)]; }
  void SetAt(int i, BYTE b) { GetData()[Checked(i)] = b; }
  BYTE& operator[](int i) { return ElementAt(i); }
  BYTE operator[](int i) const { return GetAt(i); }
  int Add(BYTE b) {
    SetSize(size_ + 1);
    GetData()[size_ - 1] = b;
    return size_ - 1;
  }
  // Replaces the contents with `n` bytes from `bytes` (zeros when `bytes` is null); `bytes` must
  // not point into this array.
  void Assign(const BYTE* bytes, int n);

  BYTE* begin() { return GetData(); }
  BYTE* end() { return GetData() + size_; }
  const BYTE* begin() const { return GetData(); }
  const BYTE* end() const { return GetData() + size_; }

 private:
  bool OnHeap() const { return capacity_ > kInline; }
  int Checked(int i) const;
  void Release() {
    if (OnHeap()) delete[] heap_;
    capacity_ = kInline;
    size_ = 0;
  }
  void Steal(ArchiverByteArray& other) noexcept {
    size_ = other.size_;
    capacity_ = other.capacity_;
    if (other.OnHeap())
      heap_ = other.heap_;
    else
      std::memcpy(inline_, other.inline_, kInline);
    other.capacity_ = kInline;
    other.size_ = 0;
  }

  int size_ = 0;
  int capacity_ = kInline;
  union {
    BYTE inline_[kInline];
    BYTE* heap_;
  };
};

struct ArchiverDataItem {
  // A new item is a field item with no bytes and no children.
  ArchiverDataItem() = default;
  // Copies m_bLeaf, the bytes and the child pointers (children are shared, not duplicated).
  ArchiverDataItem(const ArchiverDataItem& other) = default;
  ArchiverDataItem& operator=(const ArchiverDataItem& other) = default;
  ArchiverDataItem(ArchiverDataItem&&) noexcept = default;
  ArchiverDataItem& operator=(ArchiverDataItem&&) noexcept = default;
  ~ArchiverDataItem() = default;

  BYTE m_bLeaf = 1;               // 1: field item holding bytes; 0: struct item holding children
  ArchiverByteArray m_data;       // the field's raw bytes (empty for a struct item)
  ArchiverDataMap m_mapChildren;  // the struct's children (empty for a field item)
};

// Puts a new field item holding a copy of `size` bytes at `source` into `map` under `name`,
// replacing any entry of that name. `arraySize` (the whole size of an array field, 0 for a
// scalar) is accepted for the callers' convenience and has no effect. A null `source` with a
// non-zero size stores `size` zero bytes rather than reading through it.
void MapDataItem(ArchiverDataMap& map, const char* name, const void* source, std::size_t size,
                 std::size_t arraySize = 0);

// If `map` holds `name` and that item is a field item, copies min(size, stored bytes) bytes to
// `destination`; otherwise leaves the destination untouched.
void UnMapDataItem(const ArchiverDataMap& map, const char* name, void* destination,
                   std::size_t size);

// Releases every item of `map` and leaves it empty.
void ClearDataMap(ArchiverDataMap& map);

namespace qel {

// Puts a new, empty struct item into `map` under `name` (replacing any entry of that name) and
// returns its child map, for building nested records.
ArchiverDataMap& MapStructItem(ArchiverDataMap& map, const char* name);

// The item stored under `name`, or null.
const ArchiverDataItem* FindDataItem(const ArchiverDataMap& map, const char* name);

}  // namespace qel
