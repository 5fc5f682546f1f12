// qeldb tables MODEL: which record files a model has, how big they are, and what stamp they carry.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "model_source.h"
#include "platform/cfile.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct TableRow {
  std::string ext;
  unsigned long long bytes = 0;
  std::optional<int> records;  // empty: misaligned or unreadable
  bool unreadable = false;
  std::optional<unsigned long> stamp;
};

std::vector<TableRow> ListTables(CDBIO& db, ModelSource& source) {
  std::vector<TableRow> rows;
  for (const auto& info : qel::RecordCatalogue()) {
    if (!*info.ext) continue;  // its name comes from the caller; nothing to look for
    TableRow row;
    bool directory = false;
    if (!source.Exists(info.ext, &row.bytes, &directory)) {
      if (directory) Warn(source.Describe(info.ext) + " is a directory, not a record file");
      continue;
    }
    row.ext = info.ext;
    if (!source.Serve(db, info.ext)) {
      row.unreadable = true;
      rows.push_back(std::move(row));
      continue;
    }
    try {
      const int n = db.GetRecordCount(info.ext, info.recordSize);
      if (n >= 0) row.records = n;
    } catch (const CFileException&) {
      row.unreadable = true;
    }
    unsigned long stamp = 0;
    if (info.versioned && db.ReadFirstRecordStamp(info.ext, info.stampOffset, stamp))
      row.stamp = stamp;
    rows.push_back(std::move(row));
  }
  db.SetMemoryReadBuffer(nullptr);
  return rows;
}

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
  ModelSource source;
};

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  CDBIO db(CString(opt.source.Model().c_str()), nullptr);
  const std::vector<TableRow> rows = ListTables(db, opt.source);
  if (rows.empty() && ExitCode() == kExitOk && !opt.source.Exists("qel")) {
    Fail(kExitUsage, "no model named " + opt.source.Model() +
                         (opt.source.FromArchive() ? " in the archive" : "") +
                         " (no master data file and no record file)");
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
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
