// The record catalogue as a compile-time table. record_catalogue.cpp serves it to the rest of
// the program; the table code includes it to take its extensions, sizes and stamps from the
// catalogue and to check its record types against it with static_assert, so each table's
// numbers are written once, in record_catalogue.def.
#pragma once

#include <string_view>

#include "dbio/record_catalogue.h"

namespace qel {

constexpr unsigned long CatalogueStamp(unsigned major, unsigned minor, unsigned patch) {
  return (static_cast<unsigned long>(major) << 16) | (minor << 8) | patch;
}

inline constexpr RecordFileInfo kRecordCatalogue[] = {
#define QEL_RECORD_FILE(ext, type, size, versioned, offset, major, minor, patch, reader, writer) \
  {ext, type, size, versioned, offset, CatalogueStamp(major, minor, patch), reader, writer},
#include "dbio/record_catalogue.def"
#undef QEL_RECORD_FILE
};

// The entry of `ext` ("" for the table whose file the caller names). Used in constant
// expressions, where an extension missing from the catalogue fails the build.
constexpr const RecordFileInfo& CatalogueEntry(std::string_view ext) {
  for (const auto& e : kRecordCatalogue)
    if (ext == e.ext) return e;
  throw "no such table in the record catalogue";  // not a constant expression: a build error
}

}  // namespace qel
