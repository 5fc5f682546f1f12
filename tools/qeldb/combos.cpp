// qeldb combos MODEL EXT: the load combinations of MODEL.EXT, each with its load cases and
// whether it passes the library's check. Exits with 1 when the table as a whole does not.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "model_source.h"
#include "platform/cfile.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  std::string ext;
  bool json = false;
  ModelSource source;
};

struct ComboRow {
  int cases;
  std::vector<int> indexes;  // the first `cases` of them (none when the count is out of range)
  bool valid;
};

// An extension names a file beside the model: letters, digits and underscores only.
bool IsExtension(const std::string& ext) {
  return !ext.empty() && ext.size() <= 16 && std::all_of(ext.begin(), ext.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

void Print(const std::vector<ComboRow>& rows, bool json) {
  if (json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < rows.size(); ++i)
      out.push_back({{"index", i},
                     {"cases", rows[i].cases},
                     {"case_indexes", rows[i].indexes},
                     {"valid", rows[i].valid}});
    std::printf("%s\n", out.dump(2).c_str());
    return;
  }
  std::printf("%5s %6s  %-7s %s\n", "index", "cases", "valid", "load cases");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string list;
    for (int c : rows[i].indexes) list += (list.empty() ? "" : " ") + std::to_string(c);
    std::printf("%5zu %6d  %-7s %s\n", i, rows[i].cases, rows[i].valid ? "yes" : "no",
                list.c_str());
  }
}

// The table's bytes from the model's folder; false after failing.
bool ReadFromFolder(const std::string& path, std::vector<unsigned char>& bytes) {
  if (RefuseDirectory(path, "a load-combination table")) return false;
  CFile file;
  CFileException openError;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary,
                 &openError)) {
    Fail(kExitUsage, CannotOpen(path, openError));
    return false;
  }
  try {
    const ULONGLONG length = file.GetLength();
    if (length > static_cast<ULONGLONG>(INT_MAX)) {
      Fail(kExitUsage, path + " is too large to be a load-combination table");
      return false;
    }
    bytes.resize(static_cast<std::size_t>(length));
    if (file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size())
      throw CFileException(CFileException::endOfFile);
    file.Close();
  } catch (const CFileException&) {
    Fail(kExitUsage, "cannot read " + path);
    return false;
  }
  return true;
}

// The table's bytes from the archive; false after failing.
bool ReadFromArchive(ModelSource& source, const std::string& ext,
                     std::vector<unsigned char>& bytes) {
  const std::string path = source.Describe(ext.c_str());
  if (!source.Exists(ext.c_str())) {
    Fail(kExitUsage, path + ": no such table");
    return false;
  }
  if (!source.Read(ext.c_str(), bytes)) {
    Fail(kExitUsage, "cannot read " + path + " (damaged or too large)");
    return false;
  }
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    Fail(kExitUsage, path + " is too large to be a load-combination table");
    return false;
  }
  return true;
}

void Run(Options& opt) {
  if (!IsExtension(opt.ext)) {
    Fail(kExitUsage, "'" + opt.ext + "' is not a file extension (letters, digits and _ only)");
    return;
  }
  if (!opt.source.Open(opt.model)) return;
  const std::string base = opt.source.Model();
  const std::string path = opt.source.Describe(opt.ext.c_str());

  // The table is read once into memory and every check below is served from those bytes, so a
  // record reported invalid is invalid, not unreadable.
  std::vector<unsigned char> bytes;
  if (opt.source.FromArchive()) {
    if (!ReadFromArchive(opt.source, opt.ext, bytes)) return;
  } else if (!ReadFromFolder(path, bytes)) {
    return;
  }

  const std::size_t rest = bytes.size() % sizeof(_LOADCOMBO);
  if (rest != 0)
    Warn(path + ": " + std::to_string(rest) + " bytes after the last whole record ignored");
  const int count = static_cast<int>(bytes.size() / sizeof(_LOADCOMBO));
  CDBIO db(CString(base.c_str()), nullptr);
  db.SetMemoryReadBuffer(&bytes);
  std::vector<_LOADCOMBO> combos(static_cast<std::size_t>(count));
  const bool tableValid = db.ReadLoadCombos(opt.ext.c_str(), combos.data(), count, 0) != 0;
  std::vector<ComboRow> rows;
  for (int i = 0; i < count; ++i) {
    _LOADCOMBO one;
    const bool valid = db.ReadLoadCombos(opt.ext.c_str(), &one, 1, i) != 0;
    const int n = combos[i].nLoadCases;
    const int shown = (n >= 0 && n <= kMaxComboLoadCases) ? n : 0;
    rows.push_back(
        {n, std::vector<int>(combos[i].anLoadCase, combos[i].anLoadCase + shown), valid});
  }
  Print(rows, opt.json);
  if (!tableValid) Fail(kExitFailed, path + ": the load combinations do not pass the check");
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "combos", "List the load combinations of MODEL.EXT and check them as the library does");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_option("EXT", opt->ext, "extension of the load-combination file, e.g. cmb")->required();
  cmd->add_flag("--json", opt->json, "print a JSON array of {index, cases, case_indexes, valid}");
  opt->source.AddOption(cmd);
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
