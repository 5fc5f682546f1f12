#include "mdf/archive_map.h"

#include <cstring>
#include <stdexcept>
#include <string_view>

namespace {

std::string_view NameView(const char* name) {
  return name ? std::string_view(name) : std::string_view();
}

}  // namespace

void ArchiverByteArray::SetSize(int n) {
  if (n < 0) n = 0;
  if (n > capacity_) {
    const int capacity = n > 2 * capacity_ ? n : 2 * capacity_;
    BYTE* grown = new BYTE[static_cast<std::size_t>(capacity)];
    std::memcpy(grown, GetData(), static_cast<std::size_t>(size_));
    if (OnHeap()) delete[] heap_;
    heap_ = grown;
    capacity_ = capacity;
  }
  if (n > size_) std::memset(GetData() + size_, 0, static_cast<std::size_t>(n - size_));
  size_ = n;
}

void ArchiverByteArray::Assign(const BYTE* bytes, int n) {
  size_ = 0;
  SetSize(n);
  if (bytes != nullptr && size_ != 0)
    std::memmove(GetData(), bytes, static_cast<std::size_t>(size_));
}

int ArchiverByteArray::Checked(int i) const {
  if (i < 0 || i >= size_) throw std::out_of_range("ArchiverByteArray index");
  return i;
}

void MapDataItem(ArchiverDataMap& map, const char* name, const void* source, std::size_t size,
                 std::size_t /*arraySize*/) {
  auto item = std::make_shared<ArchiverDataItem>();
  item->m_data.Assign(static_cast<const BYTE*>(source), static_cast<int>(size));
  map.insert_or_assign(std::string(NameView(name)), std::move(item));
}

void UnMapDataItem(const ArchiverDataMap& map, const char* name, void* destination,
                   std::size_t size) {
  const ArchiverDataItem* item = qel::FindDataItem(map, name);
  if (item == nullptr || item->m_bLeaf == 0 || destination == nullptr) return;
  std::size_t stored = static_cast<std::size_t>(item->m_data.GetSize());
  std::size_t n = size < stored ? size : stored;
  if (n != 0) std::memcpy(destination, item->m_data.GetData(), n);
}

void ClearDataMap(ArchiverDataMap& map) { map.clear(); }

namespace qel {

ArchiverDataMap& MapStructItem(ArchiverDataMap& map, const char* name) {
  auto item = std::make_shared<ArchiverDataItem>();
  item->m_bLeaf = 0;
  ArchiverDataMap& children = item->m_mapChildren;
  map.insert_or_assign(std::string(NameView(name)), std::move(item));
  return children;
}

const ArchiverDataItem* FindDataItem(const ArchiverDataMap& map, const char* name) {
  auto it = map.find(NameView(name));
  return it == map.end() ? nullptr : it->second.get();
}

}  // namespace qel
