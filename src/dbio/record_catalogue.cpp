#include "dbio/record_catalogue.h"

#include "dbio/record_catalogue_table.h"
#include "dbio/record_fields.h"  // its offset checks run here, beside the catalogue's

namespace qel {
namespace {

constexpr const auto& kCatalogue = kRecordCatalogue;

// A stamp must fit inside the record it belongs to, and a versioned table needs one.
constexpr bool CatalogueIsConsistent() {
  for (const auto& e : kCatalogue) {
    if (e.recordSize <= 0) return false;
    if (e.versioned && (e.stampOffset < 0 || e.currentStamp == 0)) return false;
    if (e.stampOffset >= 0 && e.stampOffset + 4 > e.recordSize) return false;
  }
  return true;
}
static_assert(CatalogueIsConsistent());

// Every record with listed fields is a catalogued table's record, its fields end inside the
// table's current record, and its stamp is the field the catalogue says.
constexpr bool FieldsMatchTheCatalogue() {
  for (const RecordField& f : kRecordFields) {
    // An index rather than a pointer: a sanitised build does not fold pointer tests here.
    std::size_t table = std::size(kCatalogue);
    for (std::size_t i = 0; i < std::size(kCatalogue); ++i)
      if (std::string_view(kCatalogue[i].recordType) == f.record) table = i;
    if (table == std::size(kCatalogue)) return false;
    const RecordFileInfo& e = kCatalogue[table];
    if (f.offset + RecordFieldTypeSize(f.type) * f.count > static_cast<unsigned>(e.recordSize))
      return false;
    const bool atStamp = e.stampOffset >= 0 && f.offset == static_cast<unsigned>(e.stampOffset);
    if (atStamp != (std::string_view(f.name) == "dwVersion")) return false;
  }
  return true;
}
static_assert(FieldsMatchTheCatalogue());

}  // namespace

std::span<const RecordFileInfo> RecordCatalogue() { return kCatalogue; }

const RecordFileInfo* FindRecordFile(std::string_view ext) {
  if (ext.empty()) return nullptr;
  for (const auto& e : kCatalogue)
    if (ext == e.ext) return &e;
  return nullptr;
}

}  // namespace qel
