// qeldb upgrade MODEL: reads every versioned table of the model whole through the library's
// readers (with the model's master data, which older walls take defaults from) and leaves it at
// the current layout on disk; the previous bytes of every file it changes are kept as FILE.bak.
// A table that cannot be read is reported and left as it was.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "dbio/record_catalogue.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "model_tables.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "progress.h"
#include "table_upgrades.h"
#include "text_forms.h"

namespace qeldb {

namespace {
std::map<std::string, TableUpgrade>& Registry() {
  static std::map<std::string, TableUpgrade> upgrades;
  return upgrades;
}
}  // namespace

bool RegisterTableUpgrade(const TableUpgrade& upgrade) {
  Registry()[upgrade.ext] = upgrade;
  return true;
}

std::vector<TableUpgrade> TableUpgrades() {
  std::vector<TableUpgrade> all;
  for (const auto& entry : Registry()) all.push_back(entry.second);
  std::stable_sort(all.begin(), all.end(),
                   [](const TableUpgrade& a, const TableUpgrade& b) { return a.order < b.order; });
  return all;
}

namespace {

struct Options {
  std::string model;
  bool dryRun = false;
  bool json = false;
};

struct Row {
  std::string ext;
  std::optional<unsigned long> from, to;
  std::optional<int> records;
  std::string error;  // empty when the table is current (or was made current)
  bool changed = false;
};

unsigned long StampAt(const unsigned char* record, int offset) {
  std::uint32_t v = 0;
  std::memcpy(&v, record + offset, sizeof v);
  return v;
}

constexpr BYTE kReadOnlyAttribute = 0x01;

// Walls below 16.0.0 come out of one read at 16.0.0 and take a second read to 17.1.0; no table
// needs more.
constexpr int kMaxReads = 4;

Row Upgrade(ModelDB& db, const qel::RecordFileInfo& info, const TableUpgrade* up, bool dryRun) {
  Row row;
  row.ext = info.ext;
  const std::string path = TablePath(db, info.ext);
  std::vector<unsigned char> original;
  if (!qel::ReadWholeFile(path, original)) {
    row.error = "cannot be read";
    return row;
  }
  if (original.empty()) {
    row.records = 0;
    return row;
  }
  if (original.size() < static_cast<std::size_t>(info.stampOffset) + 4) {
    row.error = "too short for one record";
    return row;
  }
  unsigned long stamp = StampAt(original.data(), info.stampOffset);
  row.from = stamp;
  int size = up ? up->recordSize(db, stamp) : info.recordSize;
  if (size <= 0 || original.size() % static_cast<std::size_t>(size) != 0) {
    row.error = std::to_string(original.size()) + " bytes are no whole number of " +
                std::to_string(size) + "-byte records of " + StampText(stamp);
    return row;
  }
  int n = static_cast<int>(original.size() / static_cast<std::size_t>(size));
  if (stamp >= info.currentStamp) {
    row.to = stamp;
    row.records = n;
    return row;
  }
  if (!up) {
    row.error = "this version of qeldb cannot upgrade the table";
    return row;
  }
  // A read-only table is one its owner meant to keep as it is.
  CFileStatus status;
  if (!dryRun && CFile::GetStatus(path.c_str(), status) &&
      ((status.m_attribute & kReadOnlyAttribute) != 0 || qel::WriteAccessError(path) != 0)) {
    row.error = "is read-only";
    return row;
  }
  if (!dryRun && !CopyFileA(path.c_str(), (path + ".bak").c_str(), FALSE)) {
    row.error = "cannot keep a copy as " + path + ".bak";
    return row;
  }

  std::vector<unsigned char> image = original;
  for (int read = 0; read < kMaxReads; ++read) {
    // A dry run reads the image in memory; otherwise the library reads (and, for old beams,
    // rewrites) the file itself, and the converted records are written back.
    if (dryRun) db.SetMemoryReadBuffer(&image);
    std::vector<unsigned char> records(static_cast<std::size_t>(n) * info.recordSize);
    bool ok = up->read(db, records.data(), n);
    db.SetMemoryReadBuffer(nullptr);
    if (ok && !dryRun) ok = up->write(db, records.data(), n);
    if (!ok) {
      row.error = dryRun ? "cannot be read" : "cannot be converted";
      if (!dryRun && !qel::ReplaceFileAtomically(path, original.data(), original.size()))
        row.error += " (and cannot be restored: the previous bytes are in " + path + ".bak)";
      return row;
    }
    image = std::move(records);
    row.changed = true;
    const unsigned long now = n > 0 ? StampAt(image.data(), info.stampOffset) : info.currentStamp;
    const bool done = now >= info.currentStamp || now <= stamp;
    stamp = now;
    if (done) break;
  }
  row.to = stamp;
  row.records = n;
  return row;
}

Json JsonOf(const std::vector<Row>& rows) {
  Json out = Json::array();
  auto stamp = [](const std::optional<unsigned long>& s) {
    return s ? Json(StampText(*s)) : Json(nullptr);
  };
  for (const Row& r : rows) {
    Json o;
    o["ext"] = r.ext;
    o["from"] = stamp(r.from);
    o["to"] = stamp(r.to);
    o["records"] = r.records ? Json(*r.records) : Json(nullptr);
    out.push_back(std::move(o));
  }
  return out;
}

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

  // The registered tables in their order, then any other versioned table the model has.
  std::vector<std::pair<const qel::RecordFileInfo*, std::optional<TableUpgrade>>> tables;
  for (const TableUpgrade& up : TableUpgrades())
    if (const auto* info = qel::FindRecordFile(up.ext))
      if (db.DoesFileExist(CString(base.c_str()), info->ext)) tables.emplace_back(info, up);
  for (const auto& info : qel::RecordCatalogue())
    if (info.versioned && !Registry().count(info.ext) &&
        db.DoesFileExist(CString(base.c_str()), info.ext))
      tables.emplace_back(&info, std::nullopt);

  std::vector<Row> rows;
  ProgressBar bar(opt.dryRun ? "checking" : "upgrading");
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const auto& [info, up] = tables[i];
    rows.push_back(Upgrade(db, *info, up ? &*up : nullptr, opt.dryRun));
    bar.Update(static_cast<long>(i + 1), static_cast<long>(tables.size()));
  }
  bar.Done();

  for (const Row& r : rows)
    if (!r.error.empty())
      Fail(kExitFailed, TablePath(db, r.ext.c_str()) + ": " + r.error + "; left as it was");
  if (opt.json) {
    std::printf("%s\n", JsonOf(rows).dump(2).c_str());
  } else {
    Json text = Json::array();
    for (const Row& r : rows) {
      Json o;
      o["ext"] = r.ext;
      o["from"] = r.from ? StampText(*r.from) : "-";
      o["to"] = r.to ? StampText(*r.to) : (r.error.empty() ? "-" : "failed");
      o["records"] = r.records ? std::to_string(*r.records) : "-";
      text.push_back(std::move(o));
    }
    PrintRows(text, {"ext", "from", "to", "records"});
    const bool changed =
        std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.changed; });
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
