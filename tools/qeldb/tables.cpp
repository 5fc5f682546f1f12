// qeldb tables MODEL: which record files a model has, how big they are, and what stamp they carry.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "dbio/table_list.h"
#include "model_name.h"

namespace qeldb {
namespace {

using TableRow = qel::TableListing;
using qel::StampText;

void PrintText(const std::vector<TableRow>& rows) {
  std::printf("%-6s %12s %10s  %s\n", "ext", "bytes", "records", "stamp");
  for (const auto& r : rows) {
    const std::string records =
        r.records ? std::to_string(*r.records) : (r.unreadable ? "unreadable" : "misaligned");
    std::printf("%-6s %12llu %10s  %s\n", r.ext.c_str(), r.bytes, records.c_str(),
                r.stamp ? StampText(*r.stamp).c_str() : "-");
  }
}

void PrintJson(const std::vector<TableRow>& rows) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& r : rows) {
    nlohmann::ordered_json o;
    o["ext"] = r.ext;
    o["bytes"] = r.bytes;
    o["records"] = r.records ? nlohmann::ordered_json(*r.records) : nlohmann::ordered_json(nullptr);
    o["stamp"] =
        r.stamp ? nlohmann::ordered_json(StampText(*r.stamp)) : nlohmann::ordered_json(nullptr);
    out.push_back(std::move(o));
  }
  std::printf("%s\n", out.dump(2).c_str());
}

struct Options {
  std::string model;
  bool json = false;
};

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  CDBIO db(CString(base.c_str()), nullptr);
  const std::vector<TableRow> rows = qel::ListTables(
      db, [](const std::string& path) { Warn(path + " is a directory, not a record file"); });
  if (rows.empty() && ExitCode() == kExitOk && !db.DoesFileExist(CString(base.c_str()), "qel")) {
    Fail(kExitUsage, "no model named " + base + " (no master data file and no record file)");
    return;
  }
  if (opt.json)
    PrintJson(rows);
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
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
