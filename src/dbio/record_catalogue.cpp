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
    const RecordFileInfo* table = nullptr;
    for (const auto& e : kCatalogue)
      if (std::string_view(e.recordType) == f.record) table = &e;
    if (!table) return false;
    if (f.offset + RecordFieldTypeSize(f.type) * f.count > static_cast<unsigned>(table->recordSize))
      return false;
    const bool atStamp =
        table->stampOffset >= 0 && f.offset == static_cast<unsigned>(table->stampOffset);
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
