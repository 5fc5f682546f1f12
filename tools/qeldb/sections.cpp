// qeldb sections: builds the master steel table as a design program would and prints it.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "command.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "tables/master_table.h"
#include "tables/property_table_map.h"
#include "tables/steel_design_tables.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  std::string table;
  std::string name;
  bool json = false;
};

// The float's shortest decimal form, so 6.49f prints as 6.49 rather than 6.4899997711181641.
double Shortest(float v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text - 1, v);
  *r.ptr = '\0';
  return std::strtod(text, nullptr);
}

template <class T>
T FieldAt(const _MASTERTABLE& r, std::size_t offset) {
  T v;
  std::memcpy(&v, reinterpret_cast<const char*>(&r) + offset, sizeof v);
  return v;
}

nlohmann::ordered_json RecordJson(const _MASTERTABLE& r) {
  nlohmann::ordered_json o;
  for (const auto& f : qel::kMasterTableFields) {
    if (f.isChar && f.length > 0) {
      const char* text = reinterpret_cast<const char*>(&r) + f.offset;
      o[f.name] = std::string(text, std::find(text, text + f.length, '\0'));
    } else if (f.isChar) {
      const char c = FieldAt<char>(r, f.offset);
      o[f.name] = c ? std::string(1, c) : std::string();
    } else {
      o[f.name] = Shortest(FieldAt<float>(r, f.offset));
    }
  }
  return o;
}

std::string CharText(char c) { return c ? std::string(1, c) : std::string("-"); }

void PrintRows(const _MASTERTABLE* rows, int count) {
  std::printf("%-15s %-4s %-5s %9s %9s %9s %10s %9s %9s %9s %9s %9s\n", "name", "code", "shape",
              "depth", "area", "weight", "Ix", "Sx top", "Zx", "Iy", "Sy", "J");
  for (int i = 0; i < count; ++i) {
    const _MASTERTABLE& r = rows[i];
    std::printf("%-15s %-4s %-5s %9.4g %9.4g %9.4g %10.5g %9.4g %9.4g %9.4g %9.4g %9.4g\n",
                r.szName, CharText(r.cCode).c_str(), CharText(r.cShape).c_str(), r.fDepth, r.fArea,
                r.fWeight, r.fIx, r.fSxTop, r.fZx, r.fIy, r.fSy, r.fJ);
  }
}

// One record, a field a line, as the record names them.
void PrintRecord(const _MASTERTABLE& r) {
  for (const auto& f : qel::kMasterTableFields) {
    if (f.isChar && f.length > 0)
      std::printf("%-10s %s\n", f.name, reinterpret_cast<const char*>(&r) + f.offset);
    else if (f.isChar)
      std::printf("%-10s %s\n", f.name, CharText(FieldAt<char>(r, f.offset)).c_str());
    else
      std::printf("%-10s %.7g\n", f.name, FieldAt<float>(r, f.offset));
  }
}

void Run(const Options& opt) {
  if (opt.model.empty() == opt.table.empty()) {
    Fail(kExitUsage, "sections needs either MODEL or --table NAME");
    return;
  }
  UseSettings();  // the tables folder, and the file-security mode opening a table reads
  auto record = std::make_unique<SMDF>();
  int built = 0;
  if (!opt.table.empty()) {
    if (opt.table.size() >= sizeof record->MasterSteelTableName) {
      Fail(kExitUsage, "table name too long: " + opt.table);
      return;
    }
    std::memcpy(record->MasterSteelTableName, opt.table.c_str(), opt.table.size());
    built = BuildSteelDesignTables2(nullptr, nullptr, record.get());
  } else {
    built = BuildSteelDesignTables(nullptr, ModelBase(opt.model).c_str());
  }
  if (!built) {  // the library has said why
    SetExitCode(kExitFailed);
    return;
  }

  const _MASTERTABLE* rows = MasterTable_Bgn_Ptr;
  int count = NumMasterTable;
  if (!opt.name.empty()) {
    const long at = GetMyLocationInTheSteelTable(opt.name.c_str());
    if (at < 0 || at >= count) {
      Fail(kExitFailed, "no section named " + opt.name);
      DeleteMasterSteelTable();
      return;
    }
    rows += at;
    count = 1;
  }
  if (opt.json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (int i = 0; i < count; ++i) out.push_back(RecordJson(rows[i]));
    std::printf("%s\n", out.dump(2).c_str());
  } else if (!opt.name.empty()) {
    PrintRecord(rows[0]);
  } else {
    PrintRows(rows, count);
  }
  DeleteMasterSteelTable();
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "sections",
      "Build the master steel table from a model's section table (MODEL.tab) and print it");
  cmd->add_option("MODEL", opt->model, "the model whose working copy MODEL.tab is read");
  cmd->add_option("--table", opt->table,
                  "read NAME.tab from the tables folder of the settings file instead");
  cmd->add_option("--name", opt->name, "print only the section of this name (any letter case)");
  cmd->add_flag("--json", opt->json,
                "print a JSON array of objects keyed by the record's field names");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
