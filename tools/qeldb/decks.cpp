// qeldb decks MODEL: the model's decks, each with its kind and the name of its deck property.
#include <climits>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/dbio.h"
#include "model_name.h"
#include "platform/cfile.h"
#include "text_forms.h"

namespace qeldb {
namespace {

struct Options {
  std::string model;
  bool json = false;
};

struct DeckRow {
  int index;
  SDECKS deck;
  std::string property;
};

const char* KindName(int kind) {
  switch (kind) {
    case 0:
      return "composite";
    case 1:
      return "non-composite";
    case 2:
      return "concrete";
    default:
      return "unknown";
  }
}

void Print(const std::vector<DeckRow>& rows, bool json) {
  if (json) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const DeckRow& r : rows)
      out.push_back({{"index", r.index},
                     {"stamp", StampText(r.deck.dwVersion)},
                     {"kind", r.deck.nDeckKind},
                     {"property_index", r.deck.nDeckPropIndex},
                     {"property_name", r.property}});
    std::printf("%s\n", out.dump(2).c_str());
    return;
  }
  std::printf("%5s  %-8s %-16s %8s  %s\n", "index", "stamp", "kind", "property", "name");
  for (const DeckRow& r : rows) {
    const std::string kind = std::to_string(r.deck.nDeckKind) + " " + KindName(r.deck.nDeckKind);
    std::printf("%5d  %-8s %-16s %8d  %s\n", r.index, StampText(r.deck.dwVersion).c_str(),
                kind.c_str(), r.deck.nDeckPropIndex, r.property.c_str());
  }
}

void Run(const Options& opt) {
  const std::string base = ModelBase(opt.model);
  const std::string path = base + ".dec";
  CFileStatus status;
  if (!CFile::GetStatus(path.c_str(), status)) {
    if (!CFile::GetStatus((base + ".qel").c_str(), status)) {
      Fail(kExitUsage, "no model named " + base + " (no master data file and no deck table)");
      return;
    }
    Print({}, opt.json);  // a model without decks
    return;
  }

  if (RefuseDirectory(path, "a deck table")) return;
  CDBIO db(CString(base.c_str()), nullptr);
  std::vector<DeckRow> rows;
  // An empty table has no stamp to read; a file shorter than the oldest record holds no deck.
  constexpr unsigned long long kOldestRecord = 36;
  const int size = status.m_size == 0              ? static_cast<int>(sizeof(SDECKS))
                   : status.m_size < kOldestRecord ? 0
                                                   : db.GetDeckRecordSize(0xFFFFFFFF);
  if (size < 0) {
    Fail(kExitUsage, "cannot read " + path);
    return;
  }
  if (size == 0) {
    Warn(path + " holds no whole deck record");
  } else {
    const unsigned long long whole = status.m_size / static_cast<unsigned>(size);
    const unsigned long long rest = status.m_size % static_cast<unsigned>(size);
    if (whole > static_cast<unsigned long long>(INT_MAX)) {
      Fail(kExitUsage, path + " is too large to be a deck table");
      return;
    }
    const auto count = static_cast<int>(whole);
    if (rest != 0) {
      Warn(path + ": " + std::to_string(rest) + " bytes after the last whole record ignored");
    }
    std::vector<SDECKS> decks(static_cast<std::size_t>(count));
    if (count > 0 && !db.ReadDeckData(decks.data(), count, 0)) {
      Fail(kExitUsage, "cannot read " + path);
      return;
    }
    for (int i = 0; i < count; ++i) rows.push_back({i, decks[i], db.GetDeckPropName(decks[i])});
  }
  Print(rows, opt.json);
}

const bool registered = RegisterCommand([](CLI::App& app) {
  auto opt = std::make_shared<Options>();
  CLI::App* cmd =
      app.add_subcommand("decks", "List a model's decks with their kind and deck property");
  cmd->add_option("MODEL", opt->model, "the model: its base path, MODEL.qel or any file of it")
      ->required();
  cmd->add_flag("--json", opt->json,
                "print a JSON array of {index, stamp, kind, property_index, property_name}");
  cmd->callback([opt] { Run(*opt); });
});

}  // namespace
}  // namespace qeldb
