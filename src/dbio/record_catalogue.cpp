#include "dbio/record_catalogue.h"

#include "dbio/record_catalogue_table.h"

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

}  // namespace

std::span<const RecordFileInfo> RecordCatalogue() { return kCatalogue; }

const RecordFileInfo* FindRecordFile(std::string_view ext) {
  if (ext.empty()) return nullptr;
  for (const auto& e : kCatalogue)
    if (ext == e.ext) return &e;
  return nullptr;
}

}  // namespace qel
