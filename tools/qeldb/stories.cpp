// qeldb stories MODEL: the model's stories -- floor type, elevation, and the range of each member
// table that each story owns -- with a warning for every range the member files do not hold.
#include <cstdio>
#include <memory>
#include <string>

#include "command.h"
#include "model_rows.h"
#include "model_source.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool json = false;
  ModelSource source;
};

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  Json rows;
  RowReport report;
  report.beforeSettings = UseSettings;
  if (!StoryRows(opt.source, rows, report)) {
    Fail(kExitUsage, report.error);
    return;
  }
  if (opt.json)
    std::printf("%s\n", rows.dump(2).c_str());
  else
    PrintRows(rows, {"index", "floor_type", "elevation", "beams", "columns", "walls", "braces",
                     "first_beam", "first_column", "first_wall", "first_brace"});
  for (const std::string& w : report.warnings) Warn(w);
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
