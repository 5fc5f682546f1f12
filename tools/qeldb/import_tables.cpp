// qeldb import-tables MODEL: copies the shared tables a model works on from the tables folder
// beside the model, as the design programs do before opening it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "command.h"
#include "dbio/dbio.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tables/table_files.h"
#include "tables/table_import.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool force = false;
};

struct SharedTable {
  std::string name, ext;
  bool required;  // the section table; the product tables may be absent
};

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  UseSettings();
  auto record = std::make_unique<SMDF>();
  CDBIO db(CString(base), record.get());
  if (!db.ReadMdf(record.get())) {
    Fail(kExitUsage, "no readable master data file " + base + ".qel");
    return;
  }
  // The folders are split at the last separator, so a bare name is taken in the current folder.
  const std::string modelPath =
      std::filesystem::absolute(qel::NativePath(base)).lexically_normal().string();
  char tablesDir[MAX_PATH] = {}, modelDir[MAX_PATH] = {}, modelName[MAX_PATH] = {};
  if (GetTableDirs(modelPath.c_str(), tablesDir, modelDir, modelName) != 0) {
    Fail(kExitFailed,
         "no tables folder in the settings file (section \"Directories\", key \"tables\")");
    return;
  }

  char sectionTable[sizeof record->MasterSteelTableName + 1] = {};
  std::memcpy(sectionTable, record->MasterSteelTableName, sizeof record->MasterSteelTableName);
  const SharedTable tables[] = {{sectionTable, "tab", true},
                                {"QELCoreBrace", "cbd", false},
                                {"QELStarSeismic", "ssd", false}};
  for (const SharedTable& t : tables) {
    const std::string target = qel::WorkingCopyPath(modelPath.c_str(), t.ext.c_str(), 0);
    // Shown as the file system sees it; the settings may spell folders with '\'.
    const std::string source = qel::NativePath(std::string(tablesDir) + t.name + "." + t.ext);
    const bool existed = PathFileExistsA(target.c_str());
    if (!ImportTableFile2(tablesDir, modelDir, modelName, t.name.c_str(), t.ext.c_str(), 0,
                          opt.force ? 1 : 0)) {
      if (t.required) {
        Fail(kExitFailed, "cannot copy " + source + " to " + target);
        return;
      }
      // Product tables are optional: a model without them is complete.
      Note("no " + t.name + "." + t.ext + " in the tables folder");
      continue;
    }
    if (existed && !opt.force)
      std::printf("%-4s kept   %s (--force replaces it)\n", t.ext.c_str(), target.c_str());
    else
      std::printf("%-4s copied %s -> %s\n", t.ext.c_str(), source.c_str(), target.c_str());
  }
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "import-tables",
      "Copy the model's working copies of the shared tables (section table, brace products) "
      "from the tables folder");
  cmd->add_option("MODEL", opt->model, "the model (its master data file names the section table)")
      ->required();
  cmd->add_flag("--force", opt->force, "replace working copies that are already there");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
