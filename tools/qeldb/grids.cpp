// qeldb grids MODEL [--json]: the grid systems of MODEL.grs with their plan geometry.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "command.h"
#include "geom/grid_sys.h"
#include "model_source.h"
#include "plan_picture.h"

namespace {

std::string TypeName(GRID_SYS_TYPE_ t) {
  switch (t) {
    case GRID_SYS_ORTHOGONAL:
      return "orthogonal";
    case GRID_SYS_RADIAL:
      return "radial";
    default:
      return "type " + std::to_string(static_cast<int>(t));
  }
}

// What the command shows of one system, computed once for both output forms.
struct SystemView {
  CGridSys sys;  // a working copy: the line queries fill its result arrays
  int points = 0;
  bool hasExtents = false;
  _POINT2D min{}, max{};
};

// Fills v in place: copying a CGridSys would drop the working arrays the queries fill.
void View(const CGridSys& original, SystemView& v) {
  v.sys = original;
  v.sys.m_bIncludeAll = 1;
  v.sys.GetGridLinesEx();
  for (int i = 0; i < v.sys.m_aXGrids.GetSize(); ++i)
    for (int j = 0; j < v.sys.m_aYGrids.GetSize(); ++j) {
      _POINT2D p;
      v.points += v.sys.GetGridPoint(i, j, &p);
    }
  v.hasExtents = v.sys.GetMinMax(&v.min, &v.max) != 0;
}

nlohmann::json Pt(const _POINT2D& p) { return nlohmann::json::array({p.x, p.y}); }

nlohmann::json ToJson(const SystemView& v) {
  const CGridSys& s = v.sys;
  nlohmann::json lines = nlohmann::json::array();
  for (int k = 0; k < s.m_aXLinesEx.GetSize(); ++k)
    lines.push_back({{"label", s.m_aXLabelsEx[k].str()},
                     {"family", "x"},
                     {"start", Pt(s.m_aXLinesEx[k].start)},
                     {"end", Pt(s.m_aXLinesEx[k].end)}});
  int k = 0;
  for (const _LINE2D& l : s.m_aYLinesEx)
    lines.push_back({{"label", s.m_aYLabelsEx[k++].str()},
                     {"family", "y"},
                     {"start", Pt(l.start)},
                     {"end", Pt(l.end)}});
  for (const _ARC2D& a : s.m_aYArcsEx)
    lines.push_back({{"label", s.m_aYLabelsEx[k++].str()},
                     {"family", "y"},
                     {"center", Pt(a.centre)},
                     {"radius", a.radius},
                     {"startAngle", a.startAngle},
                     {"endAngle", a.endAngle}});
  return {{"id", s.m_nId},
          {"name", s.m_strName.str()},
          {"type", TypeName(s.m_eType)},
          {"origin", nlohmann::json::array({s.m_dOriginX, s.m_dOriginY})},
          {"angle", s.m_dAngle},
          {"lines", lines},
          {"points", v.points},
          {"min", v.hasExtents ? Pt(v.min) : nlohmann::json()},
          {"max", v.hasExtents ? Pt(v.max) : nlohmann::json()}};
}

void PrintText(const SystemView& v) {
  const CGridSys& s = v.sys;
  std::printf("grid system %d \"%s\": %s, origin (%g, %g), angle %g\n", s.m_nId,
              s.m_strName.GetString(), TypeName(s.m_eType).c_str(), s.m_dOriginX, s.m_dOriginY,
              s.m_dAngle);
  for (int k = 0; k < s.m_aXLinesEx.GetSize(); ++k) {
    const _LINE2D& l = s.m_aXLinesEx[k];
    std::printf("  x %-8s (%g, %g) - (%g, %g)\n", s.m_aXLabelsEx[k].GetString(), l.start.x,
                l.start.y, l.end.x, l.end.y);
  }
  int k = 0;
  for (const _LINE2D& l : s.m_aYLinesEx)
    std::printf("  y %-8s (%g, %g) - (%g, %g)\n", s.m_aYLabelsEx[k++].GetString(), l.start.x,
                l.start.y, l.end.x, l.end.y);
  for (const _ARC2D& a : s.m_aYArcsEx)
    std::printf("  y %-8s arc centre (%g, %g) radius %g from %g to %g degrees\n",
                s.m_aYLabelsEx[k++].GetString(), a.centre.x, a.centre.y, a.radius, a.startAngle,
                a.endAngle);
  std::printf("  %d grid points\n", v.points);
  if (v.hasExtents)
    std::printf("  extents (%g, %g) - (%g, %g)\n", v.min.x, v.min.y, v.max.x, v.max.y);
  else
    std::printf("  extents: none\n");
}

struct Options {
  std::string model;
  bool json = false;
  std::string svg;  // draw the grids into this picture instead of listing them
  bool force = false;
  qeldb::ModelSource source;
};

void DrawGrids(const Options& o, const CArray<CGridSys, CGridSys&>& systems) {
  qeldb::PlanStyle style;
  style.title = qeldb::ModelDisplayName(o.source.Model()) + ": grid systems";
  std::string svg, error;
  if (!qeldb::DrawPlan(systems, qeldb::PlanMembers{}, style, &svg, &error))
    qeldb::Fail(qeldb::kExitFailed, error);
  else if (qeldb::WritePicture(o.svg, svg, o.force) == qeldb::kExitOk)
    std::printf("wrote %s\n", o.svg.c_str());
}

void Run(Options& o) {
  if (!o.source.Open(o.model)) return;
  const std::string path = o.source.Describe("grs");
  CArray<CGridSys, CGridSys&> systems;
  if (!qeldb::ReadModelGrids(o.source, systems)) return;
  if (!o.svg.empty()) {
    DrawGrids(o, systems);
    return;
  }
  if (o.json) {
    nlohmann::json out = nlohmann::json::array();
    for (const CGridSys& s : systems) {
      SystemView v;
      View(s, v);
      out.push_back(ToJson(v));
    }
    // Labels are bytes, not necessarily UTF-8: replace what JSON cannot carry.
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  std::printf("%s: %d grid system%s\n", path.c_str(), systems.GetSize(),
              systems.GetSize() == 1 ? "" : "s");
  for (const CGridSys& s : systems) {
    SystemView v;
    View(s, v);
    PrintText(v);
  }
}

const bool registered = qeldb::RegisterCommand([](CLI::App& app) {
  auto opts = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("grids", "Show the grid systems of MODEL.grs");
  cmd->add_option("MODEL", opts->model, "the model: its base path, MODEL.grs or any file of it")
      ->required();
  cmd->add_flag("--json", opts->json, "print a JSON array of systems");
  cmd->add_option("--svg", opts->svg, "draw the grids into FILE.svg (or FILE.png) instead");
  cmd->add_flag("--force", opts->force, "replace an existing picture");
  opts->source.AddOption(cmd);
  cmd->callback([opts] { Run(*opts); });
});

}  // namespace
