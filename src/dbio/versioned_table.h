// How a versioned table plugs into CDBIO's shared reading pattern.
//
// Tables whose record layout grew over the suite's versions keep a 32-bit version stamp at a fixed
// offset of every record. A reader looks at the stamp of record 0 and:
//   - stamp >= current: reads the records as they are;
//   - older, and the whole table is asked for (start 0, count = records in the file at the old
//     size): clears the caller's records, reads each old record into its current-size slot,
//     stamps it current and applies the table's upgrade, stopping at the first failed read;
//   - older, and part of the table is asked for: converts the whole file that way in a temporary
//     array, writes it back at the current size from record 0, then reads the part asked for --
//     so a partial read converts the file on disk;
//   - otherwise (missing file, misaligned length, fewer old records than asked): a plain read at
//     the current size.
// A table may instead convert only the records asked for, in place (convertInPlaceOnly), and may
// act on a whole converted file (converted).
// A table describes itself once with a VersionedTable and calls CDBIO::ReadVersionedTable.
#pragma once

#include "platform/win_types.h"

class CDBIO;

namespace qel {

// The argument that asks a size function for the size of the file's own stamp (that of record 0).
inline constexpr unsigned long kStampOfFile = 0xFFFFFFFFul;

struct VersionedTable {
  const char* ext;             // record file extension
  int stampOffset;             // byte offset of the stamp inside a record
  unsigned long currentStamp;  // the stamp of records in the current layout
  int currentSize;             // record size in the current layout
  // Record size of a file whose records carry `stamp` (never called with 0xFFFFFFFF).
  int (*sizeForStamp)(unsigned long stamp);
  // Optional per-record upgrade, called after the record has been stamped current. `record` is a
  // current-size slot holding the old record's bytes followed by zeros; `fileStamp` is the stamp
  // the record had on disk. It may change anything, the stamp included.
  void (*upgrade)(CDBIO& db, unsigned char* record, unsigned long fileStamp,
                  void* context) = nullptr;
  // When a partial read converts the file: stamp every converted record current before writing
  // it back (some tables write their records back exactly as converted), and whether the file is
  // recreated rather than overwritten from record 0.
  bool restampOnWriteBack = true;
  bool truncateOnWriteBack = false;
  // Optional, called once a record-by-record conversion of the whole file is done -- into the
  // caller's records, or into the temporary copy that a partial read converts before writing it
  // back -- with those `n` records, whatever the last read gave. A table whose conversion has
  // consequences beyond single records (rewriting the file, recomputing values) does them here.
  void (*converted)(CDBIO& db, unsigned char* records, long n, void* context) = nullptr;
  // Some tables convert just the records asked for: an old table is then always read record by
  // record from `start` into the caller's slots (cleared first), stopping at the first failed
  // read, whatever the file holds, and the file is never written.
  bool convertInPlaceOnly = false;
};

}  // namespace qel
