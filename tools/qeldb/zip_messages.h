// How qeldb words the reasons a file or entry of an archive failed.
#pragma once

#include <cstdio>
#include <string>

#include "archive/zip_failure.h"

namespace qeldb {

inline const char* ZipErrorText(QelZipError error) {
  switch (error) {
    case QelZipError::kSourceUnreadable:
      return "cannot be read";
    case QelZipError::kArchiveWrite:
      return "cannot be written to the archive";
    case QelZipError::kBadName:
      return "refused: the name is absolute, has a drive, or leads out of the destination";
    case QelZipError::kOverlapping:
      return "refused: its data overlaps another entry's (a zip bomb's trick)";
    case QelZipError::kUnsupported:
      return "not supported: encrypted, an unknown compression method, or zip64 sizes";
    case QelZipError::kCreateFailed:
      return "cannot be created";
    case QelZipError::kReadOnly:
      return "a read-only file is in the way (use --overwrite-readonly)";
    case QelZipError::kCorruptData:
      return "the data is damaged";
    case QelZipError::kWriteFailed:
      return "cannot be written";
    case QelZipError::kDamagedDirectory:
      return "the archive's directory is damaged";
  }
  return "failed";
}

// "qeldb: NAME: reason" on stderr for each failure.
template <class Failures>
void ReportZipFailures(const Failures& failures) {
  for (const auto& f : failures)
    std::fprintf(stderr, "qeldb: %s: %s\n", f.name.c_str(), ZipErrorText(f.error));
}

}  // namespace qeldb
