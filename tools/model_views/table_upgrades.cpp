#include "table_upgrades.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/cfile.h"
#include "platform/file_system.h"
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
  // Tables of one order go in catalogue order.
  auto position = [](const TableUpgrade& u) {
    const auto catalogue = qel::RecordCatalogue();
    const qel::RecordFileInfo* info = qel::FindRecordFile(u.ext);
    return info ? info - catalogue.data() : static_cast<std::ptrdiff_t>(catalogue.size());
  };
  std::sort(all.begin(), all.end(), [&](const TableUpgrade& a, const TableUpgrade& b) {
    return a.order != b.order ? a.order < b.order : position(a) < position(b);
  });
  return all;
}

const TableUpgrade* FindTableUpgrade(const std::string& ext) {
  auto it = Registry().find(ext);
  return it == Registry().end() ? nullptr : &it->second;
}

namespace {

unsigned long StampAt(const unsigned char* record, int offset) {
  std::uint32_t v = 0;
  std::memcpy(&v, record + offset, sizeof v);
  return v;
}

constexpr BYTE kReadOnlyAttribute = 0x01;

// Walls below 16.0.0 come out of one read at 16.0.0 and take a second read to 17.1.0; no table
// needs more.
constexpr int kMaxReads = 4;

// Reads the table through its reader until its records are current: from `image` in memory, or
// (`inMemory` false) from the file -- which the library may rewrite on the way, as old beams do --
// writing the converted records back after each read. `image` ends as the converted records.
bool Convert(ModelDB& db, const qel::RecordFileInfo& info, const TableUpgrade& up, int n,
             std::vector<unsigned char>& image, unsigned long& stamp, bool inMemory) {
  for (int read = 0; read < kMaxReads; ++read) {
    if (inMemory) db.SetMemoryReadBuffer(&image);
    std::vector<unsigned char> records(static_cast<std::size_t>(n) * info.recordSize);
    bool ok = up.read(db, records.data(), n);
    db.SetMemoryReadBuffer(nullptr);
    if (ok && !inMemory) ok = up.write(db, records.data(), n);
    if (!ok) return false;
    image = std::move(records);
    const unsigned long now = n > 0 ? StampAt(image.data(), info.stampOffset) : info.currentStamp;
    const bool done = now >= info.currentStamp || now <= stamp;
    stamp = now;
    if (done) break;
  }
  return true;
}

UpgradeRow Upgrade(ModelDB& db, const qel::RecordFileInfo& info, const TableUpgrade* up,
                   bool dryRun) {
  UpgradeRow row;
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
  if (!Convert(db, info, *up, n, image, stamp, dryRun)) {
    row.error = dryRun ? "cannot be read" : "cannot be converted";
    if (!dryRun && !qel::ReplaceFileAtomically(path, original.data(), original.size()))
      row.error += " (and cannot be restored: the previous bytes are in " + path + ".bak)";
    return row;
  }
  row.changed = true;
  row.to = stamp;
  row.records = n;
  return row;
}

}  // namespace

bool ConvertInMemory(ModelDB& db, const qel::RecordFileInfo& info, const TableUpgrade& up, int n,
                     std::vector<unsigned char>& image, unsigned long& stamp) {
  return Convert(db, info, up, n, image, stamp, true);
}

std::vector<UpgradeRow> UpgradeModel(ModelDB& db, bool dryRun,
                                     const std::function<void(long, long)>& progress) {
  const CString base = db.GetDBName();
  std::vector<std::pair<const qel::RecordFileInfo*, const TableUpgrade*>> tables;
  const std::vector<TableUpgrade> registered = TableUpgrades();
  for (const TableUpgrade& up : registered)
    if (const auto* info = qel::FindRecordFile(up.ext))
      if (db.DoesFileExist(base, info->ext)) tables.emplace_back(info, FindTableUpgrade(up.ext));
  for (const auto& info : qel::RecordCatalogue())
    if (info.versioned && !FindTableUpgrade(info.ext) && db.DoesFileExist(base, info.ext))
      tables.emplace_back(&info, nullptr);

  std::vector<UpgradeRow> rows;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    rows.push_back(Upgrade(db, *tables[i].first, tables[i].second, dryRun));
    if (progress) progress(static_cast<long>(i + 1), static_cast<long>(tables.size()));
  }
  return rows;
}

Json UpgradeJson(const std::vector<UpgradeRow>& rows) {
  Json out = Json::array();
  auto stamp = [](const std::optional<unsigned long>& s) {
    return s ? Json(StampText(*s)) : Json(nullptr);
  };
  for (const UpgradeRow& r : rows) {
    Json o;
    o["ext"] = r.ext;
    o["from"] = stamp(r.from);
    o["to"] = stamp(r.to);
    o["records"] = r.records ? Json(*r.records) : Json(nullptr);
    out.push_back(std::move(o));
  }
  return out;
}

}  // namespace qeldb
