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
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/carray.h"
#include "platform/win_types.h"

struct ArchiverDataItem;

// Owning pointer to an item; items are shared between copies.
using ArchiverDataItemPtr = std::shared_ptr<ArchiverDataItem>;

// Ordered map from name to item. std::less<> lets lookups take a string_view or C string without
// building a key; std::string's ordering is byte-wise on unsigned bytes.
using ArchiverDataMap = std::map<std::string, ArchiverDataItemPtr, std::less<>>;

// The maps read from one XML document, in document order.
using ArchiverDataMapList = std::vector<ArchiverDataMap>;

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
  CArray<BYTE, BYTE> m_data;      // the field's raw bytes (empty for a struct item)
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
