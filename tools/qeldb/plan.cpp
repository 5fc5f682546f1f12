// qeldb plan MODEL: a picture of the model's plan -- its grid systems drawn as the suite draws
// them -- as SVG (to a file or stdout) or PNG.
#include <cstdio>
#include <memory>
#include <string>

#include "command.h"
#include "model_source.h"
#include "plan_picture.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  std::string output;
  int width = 1200;
  bool noBubbles = false;
  double textScale = 0;
  bool force = false;
  ModelSource source;
};

void Run(Options& o) {
  if (!o.output.empty() && !IsPictureName(o.output)) {
    Fail(kExitUsage, o.output + ": a picture's name ends in .svg or .png");
    return;
  }
  if (!o.source.Open(o.model)) return;
  const std::string base = o.source.Model();
  CArray<CGridSys, CGridSys&> systems;
  if (!ReadModelGrids(o.source, systems)) return;

  PlanStyle style;
  style.width = o.width;
  style.bubbles = !o.noBubbles;
  style.textScale = o.textScale;
  style.title = ModelDisplayName(base) + ": grid systems";
  std::string svg, message;
  if (!DrawPlan(systems, PlanMembers{}, style, &svg, &message)) {
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
