// Why one file or entry of a Zip or Unzip call failed. The library names causes; the caller
// words them (the command-line tool prints one line per failure).
#pragma once

#include <string>

enum class QelZipError {
  kSourceUnreadable,  // zip: the file could not be opened or read to its end
  kArchiveWrite,      // zip: the archive refused the entry or its data
  kBadName,           // unzip: empty, absolute, drive-prefixed, longer than names may be, or its
                      // ".." components lead out of the destination folder
  kOverlapping,       // unzip: its data shares bytes with another entry's (a zip bomb's trick)
  kUnsupported,       // unzip: encrypted, or a compression method other than stored or deflate
  kCreateFailed,      // unzip: its folder or file could not be created
  kReadOnly,          // unzip: a read-only file is in the way (see overwrite read-only)
  kCorruptData,       // unzip: the data is damaged (inflate error, short data, CRC mismatch)
  kWriteFailed,       // unzip: writing the file failed (disk full, ...)
  kDamagedDirectory,  // unzip: the archive's directory could not be read to its end
};

struct QelZipFailure {
  std::string name;
  QelZipError error;
};
