// qeldb new MODEL: a new model's master data file with the user's defaults for a unit system.
#include <cstdio>
#include <memory>
#include <string>

#include "command.h"
#include "dbio/dbio.h"
#include "mdf/cqelmdf.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "platform/cfile.h"
#include "platform/ctime.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  int units = 0;
  std::string job;
  bool force = false;
};

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  const std::string path = base + ".qel";
  if (RefuseDirectory(path, "a master data file") || !CheckFolderWritable(path)) return;
  CFileStatus status;
  if (!opt.force && CFile::GetStatus(path.c_str(), status)) {
    Fail(kExitUsage, path + " already exists (use --force to replace it)");
    return;
  }
  UseSettings();
  auto mdf = std::make_unique<SMDF>();
  // The defaults come from the user's settings file, found as every settings read finds it.
  CQelMDF defaults(opt.units, mdf.get());
  defaults.FileNewInit(opt.units, opt.job.c_str());
  qel::StampMdf(mdf.get(), CTime::GetCurrentTime());
  CDBIO db(CString(base.c_str()), mdf.get());
  if (!db.WriteMdf(mdf.get())) {
    Fail(kExitFailed, "cannot write " + path);
    return;
  }
  std::printf("created %s (units %d, model id %.*s)\n", path.c_str(), opt.units,
              static_cast<int>(sizeof mdf->ModelID), mdf->ModelID);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd =
      app.add_subcommand("new", "Create a new model's master data file with the user's defaults");
  cmd->add_option("MODEL", opt->model, "the new model: its base path or MODEL.qel")->required();
  cmd->add_option("--units", opt->units, "unit system: 0 English, 1 metric, 2 metric with kgf")
      ->check(CLI::Range(0, 2));
  cmd->add_option("--job", opt->job, "job name (at most 71 characters are kept)");
  cmd->add_flag("--force", opt->force, "replace an existing master data file");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
