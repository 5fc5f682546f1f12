#include "dbio/table_list.h"

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "platform/cfile.h"

namespace qel {
namespace {
constexpr BYTE kDirectoryAttribute = 0x10;
}  // namespace

std::string StampText(unsigned long stamp) {
  unsigned short major = 0;
  unsigned char minor = 0, patch = 0;
  VersionAccess::Parse(stamp, major, minor, patch);
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::vector<TableListing> ListTables(CDBIO& db,
                                     const std::function<void(const std::string&)>& folder) {
  std::vector<TableListing> rows;
  for (const auto& info : RecordCatalogue()) {
    if (!*info.ext) continue;  // its name comes from the caller; nothing to look for
    CFileStatus status;
    const CString path = db.GetDBName() + "." + info.ext;
    if (!CFile::GetStatus(path, status)) continue;
    if (status.m_attribute & kDirectoryAttribute) {
      if (folder) folder(path.GetString());
      continue;
    }
    TableListing row;
    row.ext = info.ext;
    row.bytes = status.m_size;
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
  return rows;
}

}  // namespace qel
