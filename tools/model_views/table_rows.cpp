#include "table_rows.h"

#include "dbio/record_catalogue.h"
#include "platform/cfile.h"
#include "text_forms.h"

namespace qeldb {

std::vector<TableRow> ListTables(CDBIO& db, TableSource& source,
                                 std::vector<std::string>& directories) {
  std::vector<TableRow> rows;
  for (const auto& info : qel::RecordCatalogue()) {
    if (!*info.ext) continue;  // its name comes from the caller; nothing to look for
    TableRow row;
    bool directory = false;
    if (!source.Exists(info.ext, &row.bytes, &directory)) {
      if (directory) directories.push_back(source.Describe(info.ext));
      continue;
    }
    row.ext = info.ext;
    if (!source.Serve(db, info.ext)) {
      row.unreadable = true;
      rows.push_back(std::move(row));
      continue;
    }
    try {
      const int n = db.GetRecordCount(info.ext, info.recordSize);
      if (n >= 0) row.records = n;
    } catch (const CFileException&) {
      row.unreadable = true;
    }
    unsigned long stamp = 0;
    if (info.versioned && db.ReadFirstRecordStamp(info.ext, info.stampOffset, stamp))
      row.stamp = stamp;
    rows.push_back(std::move(row));
  }
  db.SetMemoryReadBuffer(nullptr);
  return rows;
}

Json TablesJson(const std::vector<TableRow>& rows) {
  Json out = Json::array();
  for (const auto& r : rows) {
    Json o;
    o["ext"] = r.ext;
    o["bytes"] = r.bytes;
    o["records"] = r.records ? Json(*r.records) : Json(nullptr);
    o["stamp"] = r.stamp ? Json(StampText(*r.stamp)) : Json(nullptr);
    out.push_back(std::move(o));
  }
  return out;
}

}  // namespace qeldb
