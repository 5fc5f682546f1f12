// qeldb members MODEL KIND [--story N]: a model's beams, columns or walls as the library reads
// them (older records converted, in memory only), the whole table or one story's range. For one
// story's walls the foundation flags are those CDBIO::FindFoundationGravityWalls gives them.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "mdf/smdf.h"
#include "model_source.h"
#include "model_tables.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  std::string kind;
  int story = -1;
  bool json = false;
  ModelSource source;
};

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

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(opt.source.Model().c_str()), mdf.get());
  db.source = &opt.source;
  // Walls older than 16.0.0 take defaults from the master data; without it they stay as zeros.
  UseSettings();
  if (opt.source.Exists("qel") && !opt.source.ReadMdf(db, mdf.get()))
    Warn(opt.source.Describe("qel") +
         " cannot be read: walls that take defaults from it show zeros");

  MemberTables t;
  std::string error;
  if (!ReadMemberTable(db, opt.kind, t, error)) {
    Fail(kExitUsage, error);
    return;
  }

  Json rows = Json::array();
  auto all = [&](const auto& records, long first, long n) {
    for (long i = 0; i < n; ++i)
      rows.push_back(Row(records[static_cast<std::size_t>(i)], first + i));
  };
  if (opt.story < 0) {
    if (opt.kind == "beams") all(t.beams, 0, static_cast<long>(t.beams.size()));
    if (opt.kind == "columns") all(t.columns, 0, static_cast<long>(t.columns.size()));
    if (opt.kind == "walls") all(t.walls, 0, static_cast<long>(t.walls.size()));
  } else {
    std::vector<SSTORY> stories;
    std::vector<std::string> warnings;
    if (!ReadStories(db, stories, warnings, error)) {
      Fail(kExitUsage, error);
      return;
    }
    for (const std::string& w : warnings) Warn(w);
    if (opt.story >= static_cast<int>(stories.size())) {
      Fail(kExitUsage, "no story " + std::to_string(opt.story) + " (the model has " +
                           std::to_string(stories.size()) + ")");
      return;
    }
    // The foundation flags of a story's walls depend on the story below's columns, beams and
    // walls: those tables are read as well.
    if (opt.kind == "walls" && opt.story > 0) {
      const std::pair<const char*, const char*> others[] = {{"beams", "b3d"}, {"columns", "c3d"}};
      for (const auto& [other, ext] : others)
        if (HasTable(db, ext) && !ReadMemberTable(db, other, t, error))
          Warn(error + " (taken as no such members)");
    }
    HangMembers(stories, t);
    const int upTo = opt.story + 1;
    if (opt.kind == "walls") db.FindFoundationGravityWalls(stories.data(), upTo);
    const SSTORY& s = stories[static_cast<std::size_t>(opt.story)];
    auto range = [&](auto* records, long count, long first, const char* ext) {
      if (count <= 0) return;
      if (!records) {
        Warn("story " + std::to_string(opt.story) + ": its " + opt.kind + " (records " +
             std::to_string(first) + " to " + std::to_string(first + count - 1) +
             ") are not all in " + TablePath(db, ext));
        return;
      }
      for (long i = 0; i < count; ++i) rows.push_back(Row(records[i], first + i));
    };
    if (opt.kind == "beams") range(s.pBeams, s.nNumBeams, s.nFirstBeam, "b3d");
    if (opt.kind == "columns") range(s.pColumns, s.nNumColumns, s.nFirstColumn, "c3d");
    if (opt.kind == "walls") range(s.pWalls, s.nNumWalls, s.nFirstWall, "w3d");
    db.CleanStory(stories.data(), static_cast<int>(stories.size()));
  }

  if (opt.json) {
    std::printf("%s\n", rows.dump(2).c_str());
    return;
  }
  static const std::map<std::string, std::vector<std::string>> kKeys = {
      {"beams",
       {"index", "stamp", "i_end", "j_end", "support1", "support2", "support1_elevation",
        "support2_elevation", "i_end_elevation", "j_end_elevation", "i_distance", "j_distance",
        "span", "i_link", "j_link", "i_link_flag", "j_link_flag"}},
      {"columns", {"index", "stamp", "point", "top_offset"}},
      {"walls",
       {"index", "stamp", "i_end", "j_end", "i_on_foundation", "j_on_foundation", "i_top_offset",
        "j_top_offset", "elastic_modulus", "wall_type"}},
  };
  PrintRows(rows, kKeys.at(opt.kind));
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "members", "List a model's beams, columns or walls as the library reads them");
  cmd->add_option("MODEL", opt->model, "the model: its base path, its .qel file or any file of it")
      ->required();
  cmd->add_option("KIND", opt->kind, "beams, columns or walls")
      ->required()
      ->check(CLI::IsMember({"beams", "columns", "walls"}));
  cmd->add_option("--story", opt->story, "only this story's members (its index, from 0)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_flag("--json", opt->json, "print a JSON array of objects, one per member");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
