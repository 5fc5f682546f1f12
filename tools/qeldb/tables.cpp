// qeldb tables MODEL: which record files a model has, how big they are, and what stamp they carry.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "model_source.h"
#include "table_rows.h"
#include "text_forms.h"

namespace qeldb {
namespace {

void PrintText(const std::vector<TableRow>& rows) {
  std::printf("%-6s %12s %10s  %s\n", "ext", "bytes", "records", "stamp");
  for (const auto& r : rows) {
    const std::string records =
        r.records ? std::to_string(*r.records) : (r.unreadable ? "unreadable" : "misaligned");
    std::printf("%-6s %12llu %10s  %s\n", r.ext.c_str(), r.bytes, records.c_str(),
                r.stamp ? StampText(*r.stamp).c_str() : "-");
  }
}

struct Options {
  std::string model;
  bool json = false;
  ModelSource source;
};

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  CDBIO db(CString(opt.source.Model().c_str()), nullptr);
  std::vector<std::string> directories;
  const std::vector<TableRow> rows = ListTables(db, opt.source, directories);
  for (const std::string& d : directories) Warn(d + " is a directory, not a record file");
  if (rows.empty() && ExitCode() == kExitOk && !opt.source.Exists("qel")) {
    Fail(kExitUsage, "no model named " + opt.source.Model() +
                         (opt.source.FromArchive() ? " in the archive" : "") +
                         " (no master data file and no record file)");
    return;
  }
  if (opt.json)
    std::printf("%s\n", TablesJson(rows).dump(2).c_str());
  else
    PrintText(rows);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "tables", "List a model's record files: bytes, records and the stamp of versioned tables");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_flag("--json", opt->json, "print a JSON array of {ext, bytes, records, stamp}");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
