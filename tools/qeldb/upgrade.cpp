// qeldb upgrade MODEL: reads every versioned table of the model whole through the library's
// readers (with the model's master data, which older walls take defaults from) and leaves it at
// the current layout on disk; the previous bytes of every file it changes are kept as FILE.bak.
// A table that cannot be read is reported and left as it was.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "model_tables.h"
#include "progress.h"
#include "table_upgrades.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool dryRun = false;
  bool json = false;
};

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  auto mdf = std::make_unique<SMDF>();
  ModelDB db(CString(base.c_str()), mdf.get());
  if (!db.DoesFileExist(CString(base.c_str()), "qel")) {
    Fail(kExitUsage, "no model named " + base + " (no master data file " + base + ".qel)");
    return;
  }
  UseSettings();
  if (!db.ReadMdf(mdf.get())) {
    Fail(kExitUsage, base + ".qel cannot be read");
    return;
  }

  ProgressBar bar(opt.dryRun ? "checking" : "upgrading");
  const std::vector<UpgradeRow> rows =
      UpgradeModel(db, opt.dryRun, [&bar](long done, long total) { bar.Update(done, total); });
  bar.Done();

  for (const UpgradeRow& r : rows)
    if (!r.error.empty())
      Fail(kExitFailed, TablePath(db, r.ext.c_str()) + ": " + r.error + "; left as it was");
  if (opt.json) {
    std::printf("%s\n", UpgradeJson(rows).dump(2).c_str());
  } else {
    Json text = Json::array();
    for (const UpgradeRow& r : rows) {
      Json o;
      o["ext"] = r.ext;
      o["from"] = r.from ? StampText(*r.from) : "-";
      o["to"] = r.to ? StampText(*r.to) : (r.error.empty() ? "-" : "failed");
      o["records"] = r.records ? std::to_string(*r.records) : "-";
      text.push_back(std::move(o));
    }
    PrintRows(text, {"ext", "from", "to", "records"});
    const bool changed =
        std::any_of(rows.begin(), rows.end(), [](const UpgradeRow& r) { return r.changed; });
    if (opt.dryRun)
      std::printf("dry run: nothing was written\n");
    else if (changed)
      std::printf("the previous bytes of every converted table are kept as %s.<ext>.bak\n",
                  base.c_str());
  }
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "upgrade", "Convert every versioned table of a model to the current layout on disk");
  cmd->add_option("MODEL", opt->model, "the model: its base path, its .qel file or any file of it")
      ->required();
  cmd->add_flag("--dry-run", opt->dryRun, "read and convert in memory only; write nothing");
  cmd->add_flag("--json", opt->json, "print a JSON array of {ext, from, to, records}");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
