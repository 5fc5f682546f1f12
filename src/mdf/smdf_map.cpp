// Map and unmap of records laid out by a field table: one loop over the descriptors each.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "mdf/mdf_v1.h"
#include "mdf/smdf.h"

namespace qel {
namespace {

const BYTE* At(const void* record, std::uint32_t offset) {
  return static_cast<const BYTE*>(record) + offset;
}
BYTE* At(void* record, std::uint32_t offset) { return static_cast<BYTE*>(record) + offset; }

// The archive name of element `index` of a record array: "name[index]". Table names are short
// identifiers, so the buffer always holds the whole name.
struct ElementName {
  char text[96];
  const char* Format(const char* name, std::uint32_t index) {
    std::snprintf(text, sizeof text, "%s[%u]", name, static_cast<unsigned>(index));
    return text;
  }
};

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

// The map and the table are both walked in name order, so every item is compared with the
// table at most once and no name is looked up from the root of the map.
void UnMapRecord(const RecordDesc& layout, const ArchiverDataMap& map, void* record) {
  auto it = map.begin();
  for (std::uint32_t i = 0; i < layout.field_count && it != map.end(); ++i) {
    const FieldDesc& f = layout.fields[layout.by_name[i]];
    const std::uint32_t n = f.count == 0 ? 1 : f.count;
    for (std::uint32_t k = 0; k < n && it != map.end(); ++k) {
      std::string_view name = f.name;
      ElementName element;
      if (f.count != 0) name = element.Format(f.name, k);
      while (it != map.end() && std::string_view(it->first) < name) ++it;
      if (it == map.end() || std::string_view(it->first) != name) continue;
      const ArchiverDataItem& item = *it->second;
      BYTE* field = At(record, f.offset + k * f.size);
      if (f.record == nullptr) {
        // UnMapDataItem's rule, on the item already found: min(stored, field) bytes.
        if (item.m_bLeaf != 0) {
          const std::size_t stored = static_cast<std::size_t>(item.m_data.GetSize());
          const std::size_t bytes = stored < f.size ? stored : f.size;
          if (bytes != 0) std::memcpy(field, item.m_data.GetData(), bytes);
        }
      } else if (item.m_bLeaf == 0) {
        // A field item under a nested record's name is an image of unknown layout: passed over.
        UnMapRecord(*f.record, item.m_mapChildren, field);
      }
    }
  }
}

}  // namespace qel

void MapSMDF(const SMDF& mdf, ArchiverDataMap& map) {
  qel::MapRecord(qel::SmdfLayout(), &mdf, map);
}

void UnMapSMDF(const ArchiverDataMap& map, SMDF& mdf) {
  // Archives written before the combination blocks became struct items hold each block as its
  // raw 76-byte image. The first block tells which form the archive uses.
  const ArchiverDataItem* first = qel::FindDataItem(map, "cmbprmConcrete");
  if (first != nullptr && first->m_bLeaf != 0) {
    const struct {
      const char* name;
      ComboParams* block;
    } blocks[] = {{"cmbprmConcrete", &mdf.cmbprmConcrete},
                  {"cmbprmSoil", &mdf.cmbprmSoil},
                  {"cmbprmSteelStand", &mdf.cmbprmSteelStand},
                  {"cmbprmSteelSpecial", &mdf.cmbprmSteelSpecial}};
    for (const auto& b : blocks) {
      const ArchiverDataItem* item = qel::FindDataItem(map, b.name);
      if (item == nullptr || item->m_bLeaf == 0) continue;
      ComboParams image;
      std::memset(&image, 0, sizeof image);
      UnMapDataItem(map, b.name, &image, sizeof image);
      *b.block = image;
    }
  }
  qel::UnMapRecord(qel::SmdfLayout(), map, &mdf);
}

void MapMasterDataV1(const MasterDataV1& v1, ArchiverDataMap& map) {
  qel::MapRecord(qel::MasterDataV1Layout(), &v1, map);
}
