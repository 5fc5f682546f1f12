// The catalogue of a model's record files, as data: one entry per table with its extension,
// record type, current record size, whether its layout is versioned, and where its stamp sits.
// The CLI lists a model from it, and the table readers take their extension and sizes from it.
#pragma once

#include <span>
#include <string_view>

namespace qel {

struct RecordFileInfo {
  const char* ext;             // lower case; "" when the caller names the file
  const char* recordType;      // the record structure's name
  int recordSize;              // current record size in bytes
  bool versioned;              // record size depends on the stamp in the records
  int stampOffset;             // byte offset of the 32-bit stamp, -1 when records carry none
  unsigned long currentStamp;  // stamp of records in the current layout, 0 when none
  const char* readBy;          // the CDBIO members that read and write the table ("" for none)
  const char* writtenBy;
};

// Every catalogued table, in catalogue order.
std::span<const RecordFileInfo> RecordCatalogue();

// The entry of extension `ext` (case-sensitive, extensions are lower case), or null.
const RecordFileInfo* FindRecordFile(std::string_view ext);

}  // namespace qel
