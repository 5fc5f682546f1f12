#include "dbio/record_catalogue.h"

#include <array>

namespace qel {
namespace {

constexpr unsigned long Stamp(unsigned major, unsigned minor, unsigned patch) {
  return (static_cast<unsigned long>(major) << 16) | (minor << 8) | patch;
}

constexpr RecordFileInfo kCatalogue[] = {
#define QEL_RECORD_FILE(ext, type, size, versioned, offset, major, minor, patch, reader, writer) \
  {ext, type, size, versioned, offset, Stamp(major, minor, patch), reader, writer},
#include "dbio/record_catalogue.def"
#undef QEL_RECORD_FILE
};

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
