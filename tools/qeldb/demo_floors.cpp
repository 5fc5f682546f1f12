// qeldb demo-floors MODEL: adds the demo building's decks, deck properties, loads, load
// combinations and deflection criteria to a model made by `qeldb new`.
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "demo_floors_and_loads.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "platform/cfile.h"
#include "platform/file_system.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool force = false;
};

bool Exists(const std::string& path) {
  CFileStatus status;
  return CFile::GetStatus(path.c_str(), status) != FALSE;
}

// A name beside the model that no other run uses, for the tables while they are being written.
std::string ScratchBase(const std::string& base) {
  const std::size_t slash = base.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : base.substr(0, slash + 1);
  return folder + ".qeldb-demo-floors-" + std::to_string(std::random_device{}());
}

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  if (!Exists(base + ".qel")) {
    Fail(kExitUsage, "no master data file " + base + ".qel (create the model with qeldb new)");
    return;
  }
  const std::vector<std::string> exts = DemoFloorsAndLoadsExtensions();
  if (!opt.force)
    for (const std::string& ext : exts)
      if (Exists(base + "." + ext)) {
        Fail(kExitUsage, base + "." + ext + " already exists (use --force to replace it)");
        return;
      }

  if (!CheckFolderWritable(base + ".dec")) return;
  auto mdf = std::make_unique<SMDF>();
  CDBIO db(CString(base.c_str()), mdf.get());
  UseSettings();  // the fields the master data file lacks take the user's defaults
  if (!db.ReadMdf(mdf.get())) {
    Fail(kExitUsage, "cannot read " + base + ".qel");
    return;
  }

  // The tables are written under a scratch name and renamed into place once all are complete.
  const std::string scratch = ScratchBase(base);
  std::string error;
  bool ok = WriteDemoFloorsAndLoads(scratch, *mdf, error);
  if (!ok) error = "cannot write the floor and load tables of " + base;
  for (const std::string& ext : exts) {
    const std::string from = scratch + "." + ext;
    if (ok) {
      try {
        CFile::Rename(from.c_str(), (base + "." + ext).c_str());
        continue;
      } catch (const CFileException&) {
        ok = false;
        error = "cannot write " + base + "." + ext;
      }
    }
    DeleteFileA(from.c_str());
  }
  if (!ok || !db.WriteMdf(mdf.get())) {
    Fail(kExitFailed, ok ? "cannot write " + base + ".qel" : error);
    return;
  }
  std::printf(
      "added decks, deck properties, %d load cases, loads, %d load combinations (%s.%s) "
      "and %d steel and %d concrete deflection criteria to %s\n",
      mdf->NumLoadCases, mdf->NumLoadCombos, base.c_str(), kDemoComboExt, mdf->nSteelDeflCrit,
      mdf->nConcDeflCrit, base.c_str());
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "demo-floors",
      "Add the demo building's decks, loads and deflection criteria to a model made by `new`");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_flag("--force", opt->force, "replace tables the model already has");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
