// qeldb members MODEL KIND [--story N]: a model's beams, columns or walls as the library reads
// them (older records converted, in memory only), the whole table or one story's range. For one
// story's walls the foundation flags are those CDBIO::FindFoundationGravityWalls gives them.
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
  std::string kind;
  int story = -1;
  bool json = false;
  ModelSource source;
};

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  Json rows;
  RowReport report;
  report.beforeSettings = UseSettings;
  const bool ok = MemberRows(opt.source, opt.kind, opt.story, rows, report);
  for (const std::string& n : report.notes) Note(n);
  if (!ok) {
    for (const std::string& w : report.warnings) Warn(w);
    Fail(kExitUsage, report.error);
    return;
  }
  if (opt.json)
    std::printf("%s\n", rows.dump(2).c_str());
  else
    PrintRows(rows, MemberKeys(opt.kind));
  for (const std::string& w : report.warnings) Warn(w);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "members", "List a model's beams, columns or walls as the library reads them");
  cmd->add_option("MODEL", opt->model, "the model: its base path, its .qel file or any file of it")
      ->required();
  cmd->add_option("KIND", opt->kind, "beams, columns or walls")
      ->required()
      ->check(CLI::IsMember(MemberKinds()));
  cmd->add_option("--story", opt->story, "only this story's members (its index, from 0)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_flag("--json", opt->json, "print a JSON array of objects, one per member");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
