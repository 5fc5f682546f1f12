#include "model_tables.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dbio/record_catalogue.h"
#include "platform/file_system.h"
#include "table_source.h"
#include "text_forms.h"

namespace qeldb {

std::string TablePath(const ModelDB& db, const char* ext) {
  return db.source ? db.source->Describe(ext) : std::string(db.GetDBName()) + "." + ext;
}

bool HasTable(ModelDB& db, const char* ext) {
  return db.source ? db.source->Exists(ext) : db.DoesFileExist(db.GetDBName(), ext) != 0;
}

bool LoadTableBytes(ModelDB& db, const char* ext, WholeTable& table, std::string& error) {
  table = WholeTable{};
  const std::string path = TablePath(db, ext);
  if (!HasTable(db, ext)) {
    error = path + ": no such table";
    return false;
  }
  if (db.source ? !db.source->Read(ext, table.bytes) : !qel::ReadWholeFile(path, table.bytes)) {
    error = path + ": cannot be read";
    return false;
  }
  const qel::RecordFileInfo* info = qel::FindRecordFile(ext);
  if (info && info->stampOffset >= 0 &&
      table.bytes.size() >= static_cast<std::size_t>(info->stampOffset) + 4) {
    std::uint32_t stamp = 0;
    std::memcpy(&stamp, table.bytes.data() + info->stampOffset, sizeof stamp);
    table.fileStamp = stamp;
  }
  return true;
}

bool ReadStories(ModelDB& db, std::vector<SSTORY>& stories, std::vector<std::string>& warnings,
                 std::string& error) {
  constexpr int kFileRecord = 336;
  stories.clear();
  if (!HasTable(db, "sty")) {
    error = TablePath(db, "sty") + ": no story table";
    return false;
  }
  // From an archive the table is the memory read buffer while it is read.
  struct Served {
    ModelDB& db;
    ~Served() { db.SetMemoryReadBuffer(nullptr); }
  } served{db};
  if (db.source && !db.source->Serve(db, "sty")) {
    error = TablePath(db, "sty") + ": cannot be read";
    return false;
  }
  const unsigned long long bytes = db.TableBytes("sty");
  if (bytes % kFileRecord)
    warnings.push_back(TablePath(db, "sty") + " ends in a partial record (" +
                       std::to_string(bytes) + " bytes)");
  const int n = static_cast<int>(std::min<unsigned long long>(bytes / kFileRecord, 1u << 30));
  stories.assign(static_cast<std::size_t>(n), SSTORY{});
  if (!db.ReadStoryData(stories.data(), n, 0)) {
    error = TablePath(db, "sty") + ": cannot be read";
    return false;
  }
  return true;
}

bool ReadMemberTable(ModelDB& db, const std::string& kind, MemberTables& t, std::string& error,
                     std::vector<std::string>* notes) {
  WholeTable table;
  bool ok = false;
  const char* ext = "";
  if (kind == "beams") {
    ext = "b3d";
    ok = ReadWholeInMemory<_BEAM3D>(
        db, ext, &CDBIO::GetBeamRecordSize,
        [](ModelDB& d, _BEAM3D* b, int n) { return d.ReadBeam3DData(b, n, 0) == 1; }, table,
        t.beams, error);
  } else if (kind == "columns") {
    ext = "c3d";
    ok = ReadWholeInMemory<_COL3D>(
        db, ext, &CDBIO::GetColRecordSize,
        [](ModelDB& d, _COL3D* c, int n) { return d.ReadCol3DData(c, n, 0) == 1; }, table,
        t.columns, error);
  } else {
    ext = "w3d";
    ok = ReadWholeInMemory<_WALL3D>(
        db, ext, &CDBIO::GetWallRecordSize,
        [](ModelDB& d, _WALL3D* w, int n) { return d.ReadWall3DData(w, n, 0); }, table, t.walls,
        error);
  }
  const unsigned long current = qel::FindRecordFile(ext)->currentStamp;
  if (notes && ok && table.records > 0 && table.fileStamp < current)
    notes->push_back(TablePath(db, ext) + " holds records of " + StampText(table.fileStamp) +
                     ": shown converted to the current layout in memory (qeldb upgrade "
                     "converts the file)");
  return ok;
}

namespace {
template <class T>
void Hang(std::vector<SSTORY>& stories, const std::vector<T>& table, LONG SSTORY::*count,
          LONG SSTORY::*first, T* SSTORY::*array) {
  for (SSTORY& s : stories) {
    s.*array = nullptr;
    const long n = s.*count, f = s.*first;
    if (n <= 0 || f < 0 || static_cast<unsigned long>(f + n) > table.size()) continue;
    s.*array = new T[static_cast<std::size_t>(n)];
    std::copy(table.begin() + f, table.begin() + f + n, s.*array);
  }
}
}  // namespace

void HangMembers(std::vector<SSTORY>& stories, const MemberTables& t) {
  Hang(stories, t.beams, &SSTORY::nNumBeams, &SSTORY::nFirstBeam, &SSTORY::pBeams);
  Hang(stories, t.columns, &SSTORY::nNumColumns, &SSTORY::nFirstColumn, &SSTORY::pColumns);
  Hang(stories, t.walls, &SSTORY::nNumWalls, &SSTORY::nFirstWall, &SSTORY::pWalls);
}

namespace {
std::string Cell(const Json& v) {
  if (v.is_array()) {
    std::string s;
    for (const Json& e : v) s += (s.empty() ? "" : ",") + Cell(e);
    return s;
  }
  if (v.is_string()) return v.get<std::string>();
  return v.dump();
}
}  // namespace

void PrintRows(const Json& rows, const std::vector<std::string>& keys) {
  std::vector<std::size_t> width;
  for (const std::string& k : keys) width.push_back(k.size());
  std::vector<std::vector<std::string>> cells;
  for (const Json& row : rows) {
    std::vector<std::string> line;
    for (std::size_t c = 0; c < keys.size(); ++c) {
      line.push_back(Cell(row[keys[c]]));
      width[c] = std::max(width[c], line.back().size());
    }
    cells.push_back(std::move(line));
  }
  auto print = [&](const std::vector<std::string>& line) {
    std::string out;
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (c) out += "  ";
      out += std::string(width[c] - line[c].size(), ' ') + line[c];
    }
    std::printf("%s\n", out.c_str());
  };
  print(keys);
  for (const auto& line : cells) print(line);
}

}  // namespace qeldb
