// Map and unmap of records laid out by a field table: one loop over the descriptors each.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "mdf/mdf_v1.h"
#include "mdf/record_unmap_internal.h"
#include "mdf/smdf.h"

namespace qel {
namespace {

const BYTE* At(const void* record, std::uint32_t offset) {
  return static_cast<const BYTE*>(record) + offset;
}

}  // namespace

void MapRecord(const RecordDesc& layout, const void* record, ArchiverDataMap& map) {
  for (std::uint32_t i = 0; i < layout.field_count; ++i) {
    const FieldDesc& f = layout.fields[i];
    const BYTE* field = At(record, f.offset);
    if (f.record == nullptr) {
      MapDataItem(map, f.name, field, f.size, f.array ? f.size : 0);
    } else if (f.count == 0) {
      MapRecord(*f.record, field, MapStructItem(map, f.name));
    } else {
      for (std::uint32_t k = 0; k < f.count; ++k) {
        ElementName name;
        MapRecord(*f.record, field + k * f.size, MapStructItem(map, name.Format(f.name, k)));
      }
    }
  }
}

namespace {

// An archive map as a source for the unmap walk.
class MapSource {
 public:
  explicit MapSource(const ArchiverDataMap& map) : it_(map.begin()), end_(map.end()) {}
  bool AtEnd() const { return it_ == end_; }
  int Compare(const char* name) const { return it_->first.compare(name); }
  bool Next() {
    ++it_;
    return true;
  }
  bool Leaf(const FieldDesc& f, BYTE* field) {
    // UnMapDataItem's rule, on the item already found: min(stored, field) bytes.
    const ArchiverDataItem& item = *it_->second;
    if (item.m_bLeaf != 0) {
      const std::size_t stored = static_cast<std::size_t>(item.m_data.GetSize());
      const std::size_t bytes = stored < f.size ? stored : f.size;
      if (bytes != 0) std::memcpy(field, item.m_data.GetData(), bytes);
    }
    return true;
  }
  bool Nested(const FieldDesc& f, BYTE* field) {
    // A field item under a nested record's name is an image of unknown layout: passed over.
    const ArchiverDataItem& item = *it_->second;
    if (item.m_bLeaf == 0) {
      MapSource children(item.m_mapChildren);
      UnMapRecordWalk(*f.record, children, field);
    }
    return true;
  }
  bool Finish() { return true; }

 private:
  ArchiverDataMap::const_iterator it_, end_;
};

}  // namespace

void UnMapRecord(const RecordDesc& layout, const ArchiverDataMap& map, void* record) {
  MapSource source(map);
  UnMapRecordWalk(layout, source, record);
}

}  // namespace qel

void MapSMDF(const SMDF& mdf, ArchiverDataMap& map) {
  qel::MapRecord(qel::SmdfLayout(), &mdf, map);
}

void UnMapSMDF(const ArchiverDataMap& map, SMDF& mdf) {
  // Archives written before the combination blocks became struct items hold each block as its
  // raw 76-byte image. The first block tells which form the archive uses.
  const ArchiverDataItem* first = qel::FindDataItem(map, qel::kImageComboBlocks[0]);
  if (first != nullptr && first->m_bLeaf != 0) {
    ComboParams* const blocks[] = {&mdf.cmbprmConcrete, &mdf.cmbprmSoil, &mdf.cmbprmSteelStand,
                                   &mdf.cmbprmSteelSpecial};
    static_assert(std::size(blocks) == std::size(qel::kImageComboBlocks));
    for (std::size_t i = 0; i < std::size(blocks); ++i) {
      const ArchiverDataItem* item = qel::FindDataItem(map, qel::kImageComboBlocks[i]);
      if (item == nullptr || item->m_bLeaf == 0) continue;
      ComboParams image;
      std::memset(&image, 0, sizeof image);
      UnMapDataItem(map, qel::kImageComboBlocks[i], &image, sizeof image);
      *blocks[i] = image;
    }
  }
  qel::UnMapRecord(qel::SmdfLayout(), map, &mdf);
}

void MapMasterDataV1(const MasterDataV1& v1, ArchiverDataMap& map) {
  qel::MapRecord(qel::MasterDataV1Layout(), &v1, map);
}
