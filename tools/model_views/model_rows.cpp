#include "model_rows.h"

#include <algorithm>
#include <map>
#include <memory>

#include "dbio/record_catalogue.h"
#include "mdf/smdf.h"
#include "text_forms.h"

namespace qeldb {
namespace {

void BeforeSettings(RowReport& report) {
  if (report.beforeSettings) report.beforeSettings();
  report.beforeSettings = nullptr;
}

bool Missing(RowReport& report, std::string text) {
  report.error = std::move(text);
  report.missing = true;
  return false;
}
bool Refuse(RowReport& report, std::string text) {
  report.error = std::move(text);
  report.missing = false;
  return false;
}

// ---- stories ----------------------------------------------------------------------------------

struct StoryMembers {
  const char* name;  // as the rows name it
  const char* ext;
  LONG SSTORY::*count;
  LONG SSTORY::*first;
  int (CDBIO::*size)(unsigned long);  // null: the table is unversioned
};

constexpr StoryMembers kStoryMembers[] = {
    {"beams", "b3d", &SSTORY::nNumBeams, &SSTORY::nFirstBeam, &CDBIO::GetBeamRecordSize},
    {"columns", "c3d", &SSTORY::nNumColumns, &SSTORY::nFirstColumn, &CDBIO::GetColRecordSize},
    {"walls", "w3d", &SSTORY::nNumWalls, &SSTORY::nFirstWall, &CDBIO::GetWallRecordSize},
    {"braces", "r3d", &SSTORY::nNumBraces, &SSTORY::nFirstBrace, nullptr},
};

// ---- members ----------------------------------------------------------------------------------

Json Point(const _POINT2D& p) { return Json::array({p.x, p.y}); }
Json Point(const _POINT3D& p) { return Json::array({p.x, p.y, p.z}); }

Json Row(const _BEAM3D& b, long index) {
  Json r;
  r["index"] = index;
  r["stamp"] = StampText(b.dwVersion);
  r["i_end"] = Point(b.ptIEnd);
  r["j_end"] = Point(b.ptJEnd);
  r["support1"] = Point(b.ptSupport1);
  r["support2"] = Point(b.ptSupport2);
  r["support1_elevation"] = b.dSupport1Elevation;
  r["support2_elevation"] = b.dSupport2Elevation;
  r["i_end_elevation"] = b.dIEndElevation;
  r["j_end_elevation"] = b.dJEndElevation;
  r["i_distance"] = FloatForHumans(b.fIEndDistance);
  r["j_distance"] = FloatForHumans(b.fJEndDistance);
  r["span"] = FloatForHumans(b.fSupportSpan);
  r["i_link"] = Point(b.ptILink);
  r["j_link"] = Point(b.ptJLink);
  r["i_link_flag"] = b.bILink;
  r["j_link_flag"] = b.bJLink;
  return r;
}

Json Row(const _COL3D& c, long index) {
  Json r;
  r["index"] = index;
  r["stamp"] = StampText(c.dwVersion);
  r["point"] = Point(c.ptPlan);
  r["top_offset"] = c.dTopOffset;
  return r;
}

Json Row(const _WALL3D& w, long index) {
  Json r;
  r["index"] = index;
  r["stamp"] = StampText(w.dwVersion);
  r["i_end"] = Point(w.ptIEnd);
  r["j_end"] = Point(w.ptJEnd);
  r["i_on_foundation"] = w.bIOnFoundation;
  r["j_on_foundation"] = w.bJOnFoundation;
  r["i_top_offset"] = w.dITopOffset;
  r["j_top_offset"] = w.dJTopOffset;
  r["elastic_modulus"] = FloatForHumans(w.fElasticModulus);
  r["wall_type"] = w.nWallType;
  return r;
}

// Reads the table of `kind`; false with report.error (and whether the table is missing).
bool ReadTable(ModelDB& db, const std::string& kind, MemberTables& t, RowReport& report) {
  std::string error;
  if (ReadMemberTable(db, kind, t, error, &report.notes)) return true;
  report.error = error;
  report.missing = !HasTable(db, kind == "beams" ? "b3d" : kind == "columns" ? "c3d" : "w3d");
  return false;
}

}  // namespace

bool StoryRows(TableSource& source, Json& rows, RowReport& report) {
  rows = Json::array();
  const std::string base = source.Model();
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(base.c_str()), mdf.get());
  db.source = &source;
  const bool haveMdf = source.Exists("qel");
  if (!haveMdf && !HasTable(db, "sty"))
    return Missing(report, "no model named " + base +
                               (source.FromArchive() ? " in the archive" : "") +
                               " (no master data file and no story table)");
  std::vector<SSTORY> stories;
  std::string error;
  if (HasTable(db, "sty") && !ReadStories(db, stories, report.warnings, error))
    return Refuse(report, error);
  if (haveMdf) BeforeSettings(report);
  if (haveMdf && source.ReadMdf(db, mdf.get()) &&
      mdf->NumStories != static_cast<int>(stories.size()))
    report.warnings.push_back("the master data counts " + std::to_string(mdf->NumStories) +
                              " stories; " + TablePath(db, "sty") + " holds " +
                              std::to_string(stories.size()));

  // Each member table's record size (from its stamp) and length, read once, from the archive's
  // bytes when the model comes from one.
  struct Extent {
    int recordSize;
    unsigned long long bytes;
  };
  std::vector<Extent> extents;
  for (const StoryMembers& kind : kStoryMembers) {
    source.Serve(db, kind.ext);
    extents.push_back(
        {kind.size ? (db.*kind.size)(qel::kStampOfFile) : qel::FindRecordFile(kind.ext)->recordSize,
         db.TableBytes(kind.ext)});
  }
  db.SetMemoryReadBuffer(nullptr);

  for (std::size_t k = 0; k < stories.size(); ++k) {
    const SSTORY& s = stories[k];
    Json row;
    row["index"] = k;
    row["floor_type"] = s.nFlrType;
    row["elevation"] = FloatForHumans(s.fElevation);
    for (const StoryMembers& kind : kStoryMembers) row[kind.name] = s.*kind.count;
    for (const StoryMembers& kind : kStoryMembers) {
      std::string key = kind.name;
      key.pop_back();  // "beams" -> "first_beam"
      row["first_" + key] = s.*kind.first;
    }
    for (std::size_t m = 0; m < std::size(kStoryMembers); ++m) {
      const StoryMembers& kind = kStoryMembers[m];
      const long n = s.*kind.count, first = s.*kind.first;
      if (n <= 0) continue;
      const Extent& e = extents[m];
      if (e.recordSize <= 0 || first < 0 ||
          static_cast<unsigned long long>(first) + static_cast<unsigned long long>(n) >
              e.bytes / static_cast<unsigned>(e.recordSize))
        report.warnings.push_back("story " + std::to_string(k) + ": its " + kind.name +
                                  " (records " + std::to_string(first) + " to " +
                                  std::to_string(first + n - 1) + ") are not all in " +
                                  TablePath(db, kind.ext));
    }
    rows.push_back(std::move(row));
  }
  return true;
}

const std::vector<std::string>& MemberKinds() {
  static const std::vector<std::string> kinds = {"beams", "columns", "walls"};
  return kinds;
}

const std::vector<std::string>& MemberKeys(const std::string& kind) {
  static const std::map<std::string, std::vector<std::string>> keys = {
      {"beams",
       {"index", "stamp", "i_end", "j_end", "support1", "support2", "support1_elevation",
        "support2_elevation", "i_end_elevation", "j_end_elevation", "i_distance", "j_distance",
        "span", "i_link", "j_link", "i_link_flag", "j_link_flag"}},
      {"columns", {"index", "stamp", "point", "top_offset"}},
      {"walls",
       {"index", "stamp", "i_end", "j_end", "i_on_foundation", "j_on_foundation", "i_top_offset",
        "j_top_offset", "elastic_modulus", "wall_type"}},
  };
  static const std::vector<std::string> none;
  auto it = keys.find(kind);
  return it == keys.end() ? none : it->second;
}

bool MemberRows(TableSource& source, const std::string& kind, int story, Json& rows,
                RowReport& report) {
  rows = Json::array();
  const auto& kinds = MemberKinds();
  if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
    return Refuse(report, "no member kind '" + kind + "' (beams, columns or walls)");
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(source.Model().c_str()), mdf.get());
  db.source = &source;
  // Walls older than 16.0.0 take defaults from the master data; without it they stay as zeros.
  BeforeSettings(report);
  if (source.Exists("qel") && !source.ReadMdf(db, mdf.get()))
    report.warnings.push_back(source.Describe("qel") +
                              " cannot be read: walls that take defaults from it show zeros");

  MemberTables t;
  if (!ReadTable(db, kind, t, report)) return false;

  auto all = [&](const auto& records, long first, long n) {
    for (long i = 0; i < n; ++i)
      rows.push_back(Row(records[static_cast<std::size_t>(i)], first + i));
  };
  if (story < 0) {
    if (kind == "beams") all(t.beams, 0, static_cast<long>(t.beams.size()));
    if (kind == "columns") all(t.columns, 0, static_cast<long>(t.columns.size()));
    if (kind == "walls") all(t.walls, 0, static_cast<long>(t.walls.size()));
    return true;
  }
  std::vector<SSTORY> stories;
  std::string error;
  if (!ReadStories(db, stories, report.warnings, error)) {
    report.missing = !HasTable(db, "sty");
    report.error = error;
    return false;
  }
  if (story >= static_cast<int>(stories.size()))
    return Refuse(report, "no story " + std::to_string(story) + " (the model has " +
                              std::to_string(stories.size()) + ")");
  // The foundation flags of a story's walls depend on the story below's columns, beams and
  // walls: those tables are read as well.
  if (kind == "walls" && story > 0) {
    const std::pair<const char*, const char*> others[] = {{"beams", "b3d"}, {"columns", "c3d"}};
    for (const auto& [other, ext] : others) {
      RowReport sub;
      if (HasTable(db, ext) && !ReadTable(db, other, t, sub))
        report.warnings.push_back(sub.error + " (taken as no such members)");
    }
  }
  HangMembers(stories, t);
  if (kind == "walls") db.FindFoundationGravityWalls(stories.data(), story + 1);
  const SSTORY& s = stories[static_cast<std::size_t>(story)];
  auto range = [&](auto* records, long count, long first, const char* ext) {
    if (count <= 0) return;
    if (!records) {
      report.warnings.push_back("story " + std::to_string(story) + ": its " + kind + " (records " +
                                std::to_string(first) + " to " + std::to_string(first + count - 1) +
                                ") are not all in " + TablePath(db, ext));
      return;
    }
    for (long i = 0; i < count; ++i) rows.push_back(Row(records[i], first + i));
  };
  if (kind == "beams") range(s.pBeams, s.nNumBeams, s.nFirstBeam, "b3d");
  if (kind == "columns") range(s.pColumns, s.nNumColumns, s.nFirstColumn, "c3d");
  if (kind == "walls") range(s.pWalls, s.nNumWalls, s.nFirstWall, "w3d");
  db.CleanStory(stories.data(), static_cast<int>(stories.size()));
  return true;
}

}  // namespace qeldb
