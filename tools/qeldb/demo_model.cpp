// qeldb demo-model MODEL: writes a complete synthetic building (tools/model_gen) from a seed. The
// model is generated under a temporary name beside MODEL and each file is then renamed into
// place, so an interrupted run leaves no half-written model under MODEL's name.
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "demo_floors_and_loads.h"
#include "mdf/smdf.h"
#include "model_gen.h"
#include "model_name.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "platform/guid.h"
#include "progress.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  int stories = 3;
  int beamsPerStory = 40;
  std::string beamStamp = "17.1.0";
  unsigned seed = 1;
  bool force = false;
};

bool ParseStamp(const std::string& text, unsigned long& stamp) {
  static const std::regex kForm(R"((\d{1,5})\.(\d{1,3})\.(\d{1,3}))");
  std::smatch m;
  if (!std::regex_match(text, m, kForm)) return false;
  const unsigned long major = std::stoul(m[1]), minor = std::stoul(m[2]), patch = std::stoul(m[3]);
  if (major > 0xFFFF || minor > 0xFF || patch > 0xFF) return false;
  stamp = CDBIO::MakeVersion(static_cast<unsigned short>(major), static_cast<unsigned char>(minor),
                             static_cast<unsigned char>(patch));
  return true;
}

// Every file a model can have: the master data file, the grid-system file and the record files.
std::vector<std::string> ModelFiles() {
  std::vector<std::string> exts = {"qel", "grs"};
  for (const auto& info : qel::RecordCatalogue())
    if (*info.ext) exts.push_back(info.ext);
  exts.push_back(kDemoComboExt);
  return exts;
}

// The floors and loads of the building (decks, loads, combinations, deflection criteria), added to
// the generated model `base` with their counts in its master data file.
bool AddFloorsAndLoads(const std::string& base, std::vector<std::string>& written,
                       std::string& error) {
  auto mdf = std::make_unique<SMDF>();
  CDBIO db(CString(base.c_str()), mdf.get());
  if (!db.ReadMdf(mdf.get())) {
    error = "cannot read " + base + ".qel";
    return false;
  }
  const std::vector<std::string> exts = DemoFloorsAndLoadsExtensions();
  written.insert(written.end(), exts.begin(), exts.end());
  if (!WriteDemoFloorsAndLoads(base, *mdf, error)) return false;
  if (!db.WriteMdf(mdf.get())) {
    error = "cannot write " + base + ".qel";
    return false;
  }
  return true;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  unsigned long stamp = 0;
  if (!ParseStamp(opt.beamStamp, stamp)) {
    Fail(kExitUsage, "--beam-stamp takes major.minor.patch, e.g. 14.5.0");
    return;
  }
  if (RefuseDirectory(base + ".qel", "a master data file") || !CheckFolderWritable(base + ".qel"))
    return;
  if (!opt.force)
    for (const std::string& ext : ModelFiles()) {
      CFileStatus status;
      if (CFile::GetStatus((base + "." + ext).c_str(), status)) {
        Fail(kExitUsage, base + "." + ext + " already exists (use --force to replace the model)");
        return;
      }
    }

  // The temporary model sits beside the target so that the renames stay in one file system.
  const std::size_t slash = base.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : base.substr(0, slash + 1);
  GUID id{};
  CoCreateGuid(&id);
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(id.Data1));
  const std::string temp = folder + ".qeldb-demo-" + suffix;

  UseSettings();
  qelgen::Options gen;
  gen.stories = opt.stories;
  gen.beamsPerStory = opt.beamsPerStory;
  gen.beamStamp = stamp;
  gen.seed = opt.seed;
  ProgressBar bar("generating");
  gen.progress = [&](int done, int total) { bar.Update(done, total); };
  std::vector<std::string> written;
  std::string error;
  bool ok = qelgen::Generate(temp, gen, written, error);
  bar.Done();
  if (ok) ok = AddFloorsAndLoads(temp, written, error);
  for (const std::string& ext : written) {
    const std::string from = temp + "." + ext, to = base + "." + ext;
    if (ok && !qel::RenameReplacing(from, to)) {
      Fail(kExitFailed, "cannot write " + to);
      return;
    }
    if (!ok) DeleteFileA(from.c_str());
  }
  if (!ok) {
    Fail(kExitFailed, Replace(error, temp, base));
    return;
  }
  std::printf("wrote %s: %d stories, %d beams per story (beams stamped %s), seed %u\n",
              base.c_str(), opt.stories, opt.beamsPerStory, opt.beamStamp.c_str(), opt.seed);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "demo-model",
      "Write a complete synthetic building model (grid, stories, members) from a seed");
  cmd->add_option("MODEL", opt->model, "the new model's base path")->required();
  cmd->add_option("--stories", opt->stories, "number of stories")->check(CLI::Range(1, 100000));
  cmd->add_option("--beams-per-story", opt->beamsPerStory, "beams on each story")
      ->check(CLI::Range(0, 1000000));
  cmd->add_option("--beam-stamp", opt->beamStamp,
                  "write the beams in the layout of this version (e.g. 14.5.0) to exercise "
                  "the upgrades");
  cmd->add_option("--seed", opt->seed, "seed of the building's dimensions");
  cmd->add_flag("--force", opt->force, "replace the files of an existing model of that name");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
