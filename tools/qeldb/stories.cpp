// qeldb stories MODEL: the model's stories -- floor type, elevation, and the range of each member
// table that each story owns -- with a warning for every range the member files do not hold.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/record_catalogue.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "model_tables.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool json = false;
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

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(base.c_str()), mdf.get());
  const bool haveMdf = db.DoesFileExist(CString(base.c_str()), "qel") != 0;
  if (!haveMdf && !db.DoesFileExist(CString(base.c_str()), "sty")) {
    Fail(kExitUsage, "no model named " + base + " (no master data file and no story table)");
    return;
  }
  std::vector<std::string> warnings;
  std::vector<SSTORY> stories;
  std::string error;
  if (db.DoesFileExist(CString(base.c_str()), "sty") &&
      !ReadStories(db, stories, warnings, error)) {
    Fail(kExitUsage, error);
    return;
  }
  if (haveMdf) UseSettings();
  if (haveMdf && db.ReadMdf(mdf.get()) && mdf->NumStories != static_cast<int>(stories.size()))
    warnings.push_back("the master data counts " + std::to_string(mdf->NumStories) + " stories; " +
                       TablePath(db, "sty") + " holds " + std::to_string(stories.size()));

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
    for (const MemberKind& kind : kKinds) {
      const long n = s.*kind.count, first = s.*kind.first;
      if (n <= 0) continue;
      const int size = kind.size ? (db.*kind.size)(qel::kStampOfFile)
                                 : qel::FindRecordFile(kind.ext)->recordSize;
      if (!db.TableHoldsRange(kind.ext, size, first, n))
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
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
