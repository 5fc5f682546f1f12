// What the story, member and upgrade views of a model share: the library's tables read without
// touching the files, and rows printed as a text table or as JSON.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "dbio/versioned_table.h"

namespace qeldb {

using Json = nlohmann::ordered_json;

class TableSource;

// CDBIO with the members the tools use beyond the public interface, and, for commands that read
// a model out of an archive (--archive), the source its tables come from (table_source.h): the
// helpers below then read every table through it and never the folder.
class ModelDB : public CDBIO {
 public:
  using CDBIO::CDBIO;
  using CDBIO::InitBeamZs;
  using CDBIO::TableBytes;
  using CDBIO::TableHoldsRange;
  TableSource* source = nullptr;
};

// "<model>.<ext>", or how the source names it.
std::string TablePath(const ModelDB& db, const char* ext);
// Whether the model has the table (from the source when there is one).
bool HasTable(ModelDB& db, const char* ext);

// A whole table read through the library's reader with the file's bytes as the memory read
// buffer: older records are converted as every program converts them, but only in memory, so
// showing a model never rewrites it.
struct WholeTable {
  std::vector<unsigned char> bytes;  // the file as it is
  unsigned long fileStamp = 0;       // stamp of record 0 (0 for an empty table)
  int records = 0;                   // records in the file at its own layout
};

// Reads "<model>.<ext>" into `out` (current-size records) with `read`, `size` giving the file's
// record size for a stamp. False with a message when the file is missing or unreadable or holds
// no whole number of records of its layout.
template <class T>
bool ReadWholeInMemory(ModelDB& db, const char* ext, int (CDBIO::*size)(unsigned long),
                       const std::function<bool(ModelDB&, T*, int)>& read, WholeTable& table,
                       std::vector<T>& out, std::string& error);

// The story table as the file holds it; false with a message when there is none or it cannot be
// read. A length that is no whole number of records yields the whole ones and a warning.
bool ReadStories(ModelDB& db, std::vector<SSTORY>& stories, std::vector<std::string>& warnings,
                 std::string& error);

// A model's beam, column and wall tables, each read whole with ReadMemberTable (converted to the
// current layout in memory).
struct MemberTables {
  std::vector<_BEAM3D> beams;
  std::vector<_COL3D> columns;
  std::vector<_WALL3D> walls;
};

// Reads the table of `kind` ("beams", "columns" or "walls") into `t` through the library's
// reader; a table of an older layout gets a note (in `notes`, when given) saying it is shown
// converted. False with a message as ReadWholeInMemory.
bool ReadMemberTable(ModelDB& db, const std::string& kind, MemberTables& t, std::string& error,
                     std::vector<std::string>* notes = nullptr);

// Hangs copies of each story's ranges of the tables on the story (null where a range is not in
// its table), so the library's story functions see the members as the readers give them.
// CDBIO::CleanStory releases them.
void HangMembers(std::vector<SSTORY>& stories, const MemberTables& t);

// Rows (objects with the same keys) as a text table: a header of the keys, one line per row,
// arrays shown as "x,y".
void PrintRows(const Json& rows, const std::vector<std::string>& keys);

// ---- implementation ----

bool LoadTableBytes(ModelDB& db, const char* ext, WholeTable& table, std::string& error);

template <class T>
bool ReadWholeInMemory(ModelDB& db, const char* ext, int (CDBIO::*size)(unsigned long),
                       const std::function<bool(ModelDB&, T*, int)>& read, WholeTable& table,
                       std::vector<T>& out, std::string& error) {
  out.clear();
  if (!LoadTableBytes(db, ext, table, error)) return false;
  if (table.bytes.empty()) return true;
  db.SetMemoryReadBuffer(&table.bytes);
  const int recordSize = (db.*size)(qel::kStampOfFile);
  const int n = recordSize > 0 ? db.GetRecordCount(ext, recordSize) : -2;
  bool ok = n >= 0;
  if (ok) {
    table.records = n;
    out.resize(static_cast<std::size_t>(n));
    ok = read(db, out.data(), n);
    if (!ok) error = TablePath(db, ext) + ": the records cannot be read";
  } else {
    error = TablePath(db, ext) + ": " + std::to_string(table.bytes.size()) +
            " bytes are no whole number of " + std::to_string(recordSize) + "-byte records";
  }
  db.SetMemoryReadBuffer(nullptr);
  return ok;
}

}  // namespace qeldb
