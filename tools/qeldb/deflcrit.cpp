// qeldb deflcrit MODEL [--concrete] [--count N]: the deflection criteria as the model reads them,
// from its criteria file or, when it has none, from the settings file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "mdf/smdf.h"
#include "model_source.h"
#include "platform/cfile.h"
#include "text_forms.h"

namespace qeldb {
namespace {

using Json = nlohmann::ordered_json;

// More criteria than any model keeps; a larger count is a mistake, not a request.
constexpr int kMaxCriteria = 10000;

struct Options {
  std::string model;
  bool concrete = false;
  int count = -1;  // -1: as many as the model has
  bool json = false;
  ModelSource source;
};

Json Triple(const SDEFLCRIT& t) {
  return Json{{"DeadL", t.dDeadL}, {"LiveL", t.dLiveL}, {"Net", t.dNet}};
}

Json Half(const SSTEELDEFLCRITHALF& h) {
  return Json{{"CmpUnshoredInit", h.dCmpUnshoredInit},
              {"CmpUnshoredPostLL", h.dCmpUnshoredPostLL},
              {"CmpUnshoredPostTotal", h.dCmpUnshoredPostTotal},
              {"CmpUnshoredTotal", h.dCmpUnshoredTotal},
              {"CmpShored", Triple(h.CmpShored)},
              {"NonCmp", Triple(h.NonCmp)}};
}

Json Half(const SCONCDEFLCRITHALF& h) {
  return Json{{"DeadL", h.dDeadL}, {"LiveL", h.dLiveL}, {"Net", h.dNet}, {"LT", h.dLT}};
}

template <class Criterion>
Json ToJson(const std::vector<Criterion>& criteria) {
  Json out = Json::array();
  for (std::size_t i = 0; i < criteria.size(); ++i) {
    const Criterion& c = criteria[i];
    out.push_back({{"index", i},
                   {"name", std::string(c.szName, strnlen(c.szName, sizeof c.szName))},
                   {"stamp", c.dwVersion ? Json(StampText(c.dwVersion)) : Json(nullptr)},
                   {"ratio", Half(c.Ratio)},
                   {"abs", Half(c.Abs)}});
  }
  return out;
}

std::string Number(const Json& value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value.get<double>());
  return text;
}

// Text form: one block per criterion, one line per half with its items as "name=value".
void PrintText(const Json& criteria, const std::string& source) {
  std::printf("%s\n", source.c_str());
  for (const Json& c : criteria) {
    std::printf("%d  %s  (stamp %s)\n", c["index"].get<int>(), c["name"].get<std::string>().c_str(),
                c["stamp"].is_null() ? "none" : c["stamp"].get<std::string>().c_str());
    for (const char* half : {"ratio", "abs"}) {
      std::string line;
      for (const auto& [key, value] : c[half].items()) {
        if (!value.is_object()) {
          line += " " + key + "=" + Number(value);
          continue;
        }
        line += " " + key + "{";
        for (const auto& [k, v] : value.items()) line += " " + k + "=" + Number(v);
        line += " }";
      }
      std::printf("   %-5s%s\n", half, line.c_str());
    }
  }
}

template <class Criterion>
Json Read(CDBIO& db, int count, int (CDBIO::*read)(Criterion*, int)) {
  std::vector<Criterion> criteria(static_cast<std::size_t>(count));
  (db.*read)(criteria.data(), count);
  return ToJson(criteria);
}

void Run(Options& opt) {
  if (!opt.source.Open(opt.model)) return;
  const std::string base = opt.source.Model();
  const char* ext = opt.concrete ? "cdc" : "sdc";
  const int recordSize =
      static_cast<int>(opt.concrete ? sizeof(SCONCDEFLCRIT) : sizeof(SSTEELDEFLCRIT));
  auto mdf = std::make_unique<SMDF>();
  std::memset(mdf.get(), 0, sizeof(SMDF));
  CDBIO db(CString(base.c_str()), mdf.get());
  const bool hasMdf = opt.source.Exists("qel");
  if (!hasMdf && !opt.source.Exists(ext)) {
    Fail(kExitUsage, "no model named " + base +
                         (opt.source.FromArchive() ? " in the archive" : "") +
                         " (no master data file and no " + ext + " table)");
    return;
  }
  // The unit system chooses the settings keys of absolute limits; a model without a master data
  // file is taken as unit system 0.
  UseSettings();
  if (hasMdf && !opt.source.ReadMdf(db, mdf.get())) {
    Fail(kExitUsage, "cannot read " + opt.source.Describe("qel"));
    return;
  }

  // From an archive the table (or, when it is missing, nothing) is the memory read buffer.
  int inFile = -1;
  try {
    if (opt.source.Serve(db, ext) || !opt.source.FromArchive())
      inFile = db.GetRecordCount(ext, recordSize);
  } catch (const CFileException&) {
    Fail(kExitUsage, "cannot read " + opt.source.Describe(ext));
    return;
  }
  int count = opt.count;
  if (count < 0) {
    const int kept = opt.concrete ? mdf->nConcDeflCrit : mdf->nSteelDeflCrit;
    count = inFile > 0 ? inFile : (kept >= 1 && kept <= kMaxCriteria ? kept : 1);
  }
  const std::string table = opt.source.Describe(ext);
  const std::string source = inFile >= count
                                 ? "from " + table
                                 : "from the settings file (" + table +
                                       (inFile < 0 ? " is missing or damaged)" : " is too short)");
  const Json criteria = opt.concrete ? Read(db, count, &CDBIO::ReadConcDeflCrit)
                                     : Read(db, count, &CDBIO::ReadSteelDeflCrit);
  if (opt.json)
    std::printf("%s\n", criteria.dump(2).c_str());
  else
    PrintText(criteria, source);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "deflcrit", "Show a model's deflection criteria (from its file, or from the settings)");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_flag("--concrete", opt->concrete, "concrete beam criteria instead of steel");
  cmd->add_option("--count", opt->count,
                  "number of criteria to read (default: the file's, else the model's count)")
      ->check(CLI::Range(0, kMaxCriteria));
  cmd->add_flag("--json", opt->json, "print a JSON array of {index, name, stamp, ratio, abs}");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
