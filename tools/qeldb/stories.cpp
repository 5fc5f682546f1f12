// qeldb stories MODEL: the model's stories -- floor type, elevation, and the range of each member
// table that each story owns -- with a warning for every range the member files do not hold.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/record_catalogue.h"
#include "mdf/smdf.h"
#include "model_source.h"
#include "model_tables.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool json = false;
  ModelSource source;
};

struct MemberKind {
  const char* name;  // as the rows name it
  const char* ext;
  LONG SSTORY::*count;
  LONG SSTORY::*first;
  int (CDBIO::*size)(unsigned long);  // null: the table is unversioned
};

constexpr MemberKind kKinds[] = {
    {"beams", "b3d", &SSTORY::nNumBeams, &SSTORY::nFirstBeam, &CDBIO::GetBeamRecordSize},
    {"columns", "c3d", &SSTORY::nNumColumns, &SSTORY::nFirstColumn, &CDBIO::GetColRecordSize},
    {"walls", "w3d", &SSTORY::nNumWalls, &SSTORY::nFirstWall, &CDBIO::GetWallRecordSize},
    {"braces", "r3d", &SSTORY::nNumBraces, &SSTORY::nFirstBrace, nullptr},
};

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  const std::string base = opt.source.Model();
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(base.c_str()), mdf.get());
  db.source = &opt.source;
  const bool haveMdf = opt.source.Exists("qel");
  if (!haveMdf && !HasTable(db, "sty")) {
    Fail(kExitUsage, "no model named " + base +
                         (opt.source.FromArchive() ? " in the archive" : "") +
                         " (no master data file and no story table)");
    return;
  }
  std::vector<std::string> warnings;
  std::vector<SSTORY> stories;
  std::string error;
  if (HasTable(db, "sty") && !ReadStories(db, stories, warnings, error)) {
    Fail(kExitUsage, error);
    return;
  }
  if (haveMdf) UseSettings();
  if (haveMdf && opt.source.ReadMdf(db, mdf.get()) &&
      mdf->NumStories != static_cast<int>(stories.size()))
    warnings.push_back("the master data counts " + std::to_string(mdf->NumStories) + " stories; " +
                       TablePath(db, "sty") + " holds " + std::to_string(stories.size()));

  // Each member table's record size (from its stamp) and length, read once, from the archive's
  // bytes when the model comes from one.
  struct Extent {
    int recordSize;
    unsigned long long bytes;
  };
  std::vector<Extent> extents;
  for (const MemberKind& kind : kKinds) {
    opt.source.Serve(db, kind.ext);
    extents.push_back(
        {kind.size ? (db.*kind.size)(qel::kStampOfFile) : qel::FindRecordFile(kind.ext)->recordSize,
         db.TableBytes(kind.ext)});
  }
  db.SetMemoryReadBuffer(nullptr);

  Json rows = Json::array();
  for (std::size_t k = 0; k < stories.size(); ++k) {
    const SSTORY& s = stories[k];
    Json row;
    row["index"] = k;
    row["floor_type"] = s.nFlrType;
    row["elevation"] = FloatForHumans(s.fElevation);
    for (const MemberKind& kind : kKinds) row[kind.name] = s.*kind.count;
    for (const MemberKind& kind : kKinds) {
      std::string key = kind.name;
      key.pop_back();  // "beams" -> "first_beam"
      row["first_" + key] = s.*kind.first;
    }
    for (std::size_t m = 0; m < std::size(kKinds); ++m) {
      const MemberKind& kind = kKinds[m];
      const long n = s.*kind.count, first = s.*kind.first;
      if (n <= 0) continue;
      const Extent& e = extents[m];
      if (e.recordSize <= 0 || first < 0 ||
          static_cast<unsigned long long>(first) + static_cast<unsigned long long>(n) >
              e.bytes / static_cast<unsigned>(e.recordSize))
        warnings.push_back("story " + std::to_string(k) + ": its " + kind.name + " (records " +
                           std::to_string(first) + " to " + std::to_string(first + n - 1) +
                           ") are not all in " + TablePath(db, kind.ext));
    }
    rows.push_back(std::move(row));
  }

  if (opt.json)
    std::printf("%s\n", rows.dump(2).c_str());
  else
    PrintRows(rows, {"index", "floor_type", "elevation", "beams", "columns", "walls", "braces",
                     "first_beam", "first_column", "first_wall", "first_brace"});
  for (const std::string& w : warnings) Warn(w);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "stories", "List a model's stories: floor type, elevation and the members each owns");
  cmd->add_option("MODEL", opt->model, "the model: its base path, its .qel file or any file of it")
      ->required();
  cmd->add_flag("--json", opt->json,
                "print a JSON array of {index, floor_type, elevation, beams, columns, walls, "
                "braces, first_beam, first_column, first_wall, first_brace}");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
