// qeldb plan MODEL [--story N]: a picture of the model's plan -- its grid systems drawn as the
// suite draws them and, for one story, that story's beams, columns and walls over them -- as SVG
// (to a file or stdout) or PNG. The member tables are read as `qeldb members` reads them: older
// layouts are converted in memory and the model's files are never written.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "mdf/smdf.h"
#include "model_source.h"
#include "model_tables.h"
#include "plan_picture.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  std::string output;
  int story = -1;
  int width = 1200;
  bool noBubbles = false;
  double textScale = 0;
  bool force = false;
  ModelSource source;
};

// Story `index` of the model: its members in `members` and the title naming it. False after
// failing (an unknown story or an unreadable table is a usage error).
bool ReadStory(ModelSource& source, int index, PlanMembers& members, std::string& title) {
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(source.Model().c_str()), mdf.get());
  db.source = &source;
  // Walls older than 16.0.0 take defaults from the master data; they are drawn all the same.
  UseSettings();
  if (source.Exists("qel")) source.ReadMdf(db, mdf.get());
  std::vector<SSTORY> stories;
  std::vector<std::string> warnings;
  std::string error;
  if (!ReadStories(db, stories, warnings, error)) {
    Fail(kExitUsage, error);
    return false;
  }
  for (const std::string& w : warnings) Warn(w);
  if (index >= static_cast<int>(stories.size())) {
    Fail(kExitUsage, "no story " + std::to_string(index) + " (the model has " +
                         std::to_string(stories.size()) + ")");
    return false;
  }
  const SSTORY& s = stories[static_cast<std::size_t>(index)];
  const std::string story = "story " + std::to_string(index);
  title =
      ModelDisplayName(source.Model()) + ": " + story + ", elevation " + FloatText(s.fElevation);

  // Only the tables the story has members in are read.
  MemberTables t;
  const std::pair<const char*, LONG> kinds[] = {
      {"beams", s.nNumBeams}, {"columns", s.nNumColumns}, {"walls", s.nNumWalls}};
  std::vector<std::string> notes;
  for (const auto& [kind, count] : kinds)
    if (count > 0 && !ReadMemberTable(db, kind, t, error, &notes)) {
      Fail(kExitUsage, error);
      return false;
    }
  for (const std::string& n : notes) Note(n);
  HangMembers(stories, t);
  auto missing = [&](const char* kind, long count, long first, const char* ext) {
    Warn(story + ": its " + kind + " (records " + std::to_string(first) + " to " +
         std::to_string(first + count - 1) + ") are not all in " + TablePath(db, ext) +
         " and are not drawn");
  };
  if (s.nNumBeams > 0 && !s.pBeams) missing("beams", s.nNumBeams, s.nFirstBeam, "b3d");
  for (long i = 0; s.pBeams && i < s.nNumBeams; ++i)
    members.beams.push_back(_LINE2D{s.pBeams[i].ptIEnd, s.pBeams[i].ptJEnd});
  if (s.nNumColumns > 0 && !s.pColumns) missing("columns", s.nNumColumns, s.nFirstColumn, "c3d");
  for (long i = 0; s.pColumns && i < s.nNumColumns; ++i)
    members.columns.push_back(s.pColumns[i].ptPlan);
  if (s.nNumWalls > 0 && !s.pWalls) missing("walls", s.nNumWalls, s.nFirstWall, "w3d");
  for (long i = 0; s.pWalls && i < s.nNumWalls; ++i)
    members.walls.push_back(_LINE2D{s.pWalls[i].ptIEnd, s.pWalls[i].ptJEnd});
  // A brace record is carried as an opaque block: where its ends are is not known here.
  if (s.nNumBraces > 0)
    Note(story + ": its " + std::to_string(s.nNumBraces) +
         " braces are not drawn (their records carry no geometry this tool reads)");
  db.CleanStory(stories.data(), static_cast<int>(stories.size()));
  return true;
}

void Run(Options& o) {
  if (!o.output.empty() && !IsPictureName(o.output)) {
    Fail(kExitUsage, o.output + ": a picture's name ends in .svg or .png");
    return;
  }
  if (!o.source.Open(o.model)) return;
  const std::string base = o.source.Model();
  PlanStyle style;
  style.width = o.width;
  style.bubbles = !o.noBubbles;
  style.textScale = o.textScale;
  style.title = ModelDisplayName(base) + ": grid systems";
  PlanMembers members;
  if (o.story >= 0 && !ReadStory(o.source, o.story, members, style.title)) return;
  // A story's members are drawn without grids when the model has none.
  CArray<CGridSys, CGridSys&> systems;
  bool folder = false;
  if ((o.story < 0 || o.source.Exists("grs", nullptr, &folder) || folder) &&
      !ReadModelGrids(o.source, systems))
    return;

  std::string svg, message;
  if (!DrawPlan(systems, members, style, &svg, &message)) {
    Fail(kExitFailed, message);
    return;
  }
  if (o.output.empty()) {
    std::fwrite(svg.data(), 1, svg.size(), stdout);
    return;
  }
  if (WritePicture(o.output, svg, o.force) == kExitOk) std::printf("wrote %s\n", o.output.c_str());
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto o = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("plan", "Draw MODEL's plan as SVG or PNG");
  cmd->add_option("MODEL", o->model, "the model: its database name or any of its files")
      ->required();
  cmd->add_option("--story", o->story, "draw this story's members too (its index, from 0)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("-o,--output", o->output, "FILE.svg or FILE.png (default: SVG on stdout)");
  cmd->add_option("--width", o->width, "picture width in pixels")
      ->check(CLI::Range(kMinPlanWidth, kMaxPlanWidth));
  cmd->add_flag("--no-bubbles", o->noBubbles, "draw grid lines without their bubbles");
  cmd->add_option("--text-scale", o->textScale, "scale of grid labels and bubbles (0: default)")
      ->check(CLI::Range(0.0, kMaxTextScale));
  cmd->add_flag("--force", o->force, "replace an existing picture");
  o->source.AddOption(cmd);
  cmd->callback([o] { Run(*o); });
});

}  // namespace
}  // namespace qeldb
