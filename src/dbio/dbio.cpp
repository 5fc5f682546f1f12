#include "dbio/dbio.h"

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "dbio/versioned_table.h"
#include "mdf/file_security.h"
#include "platform/cfile.h"

static_assert(std::endian::native == std::endian::little,
              "record files are little-endian images of the in-memory records");

namespace {

constexpr UINT kReadFlags = CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary;
constexpr UINT kWriteFlags =
    CFile::modeReadWrite | CFile::modeCreate | CFile::shareExclusive | CFile::typeBinary;

// a * b, or false when it is negative or does not fit.
bool CheckedProduct(std::int64_t a, std::int64_t b, std::int64_t& out) {
  if (a < 0 || b < 0) return false;
  return !__builtin_mul_overflow(a, b, &out);
}

bool FileExists(const char* path) {
  CFileStatus status;
  return CFile::GetStatus(path, status) != FALSE;
}

void StoreStamp(unsigned char* record, int offset, unsigned long stamp) {
  std::uint32_t v = static_cast<std::uint32_t>(stamp);
  std::memcpy(record + offset, &v, sizeof v);
}

}  // namespace

CDBIO::CDBIO(CUnits* units, CString dbName, SMDF* mdf)
    : m_pUnits(units), m_strDBName(std::move(dbName)), m_pMDF(mdf) {}

CDBIO::CDBIO(CString dbName, SMDF* mdf) : CDBIO(nullptr, std::move(dbName), mdf) {}

CDBIO::CDBIO(SMDF* mdf) : CDBIO(nullptr, CString(), mdf) {}

CDBIO::CDBIO(const CDBIO& other)
    : m_pUnits(other.m_pUnits), m_strDBName(other.m_strDBName), m_pMDF(other.m_pMDF) {}

CDBIO& CDBIO::operator=(const CDBIO& other) {
  if (this != &other) {
    m_pUnits = other.m_pUnits;
    m_strDBName = other.m_strDBName;
    m_pMDF = other.m_pMDF;
    m_pMemReadBuffer = other.m_pMemReadBuffer;
    m_aDeckPropCache = other.m_aDeckPropCache;
    m_aConcDeckPropCache = other.m_aConcDeckPropCache;
    m_aNonCompDeckPropCache = other.m_aNonCompDeckPropCache;
  }
  return *this;
}

CDBIO::~CDBIO() = default;

CString CDBIO::RecordFilePath(const char* ext) const {
  return m_strDBName + "." + (ext ? ext : "");
}

int CDBIO::ReadDB(const char* ext, void* buffer, int recordSize, long start, long count) {
  if (!buffer || !ext) return 0;
  std::int64_t first = 0, bytes = 0;
  if (!CheckedProduct(start, recordSize, first) || !CheckedProduct(count, recordSize, bytes))
    return 0;

  if (m_pMemReadBuffer) {
    // The buffer stands for the table's file; the extension plays no part.
    const auto size = static_cast<std::int64_t>(m_pMemReadBuffer->size());
    if (first > size || bytes > size - first) return 0;
    if (bytes > 0)
      std::memcpy(buffer, m_pMemReadBuffer->data() + first, static_cast<std::size_t>(bytes));
    return 1;
  }

  if (bytes > static_cast<std::int64_t>(UINT_MAX)) return 0;
  CString path = RecordFilePath(ext);
  if (!FileExists(path)) return 0;
  // The file is opened by its path as held in a buffer of the platform's path limit.
  if (path.GetLength() >= MAX_PATH) path = path.Left(MAX_PATH - 1);

  CFile file;
  if (!file.Open(path, kReadFlags)) return 0;  // locked, no permission, vanished
  try {
    file.Seek(first, CFile::begin);
    const UINT got = file.Read(buffer, static_cast<UINT>(bytes));
    return got == static_cast<UINT>(bytes) ? 1 : 0;
  } catch (const CFileException&) {
    return 0;
  }
}

int CDBIO::WriteDB(const char* ext, void* buffer, int recordSize, long start, long count,
                   int truncate) {
  if (!buffer || !ext) return 0;
  std::int64_t first = 0, bytes = 0;
  if (!CheckedProduct(start, recordSize, first) || !CheckedProduct(count, recordSize, bytes) ||
      bytes > static_cast<std::int64_t>(UINT_MAX))
    return 0;

  const CString path = RecordFilePath(ext);
  CFile file;
  if (!file.Open(path, kWriteFlags | (truncate ? 0u : UINT{CFile::modeNoTruncate}))) return 0;
  try {
    file.Seek(first, CFile::begin);
    if (bytes > 0) file.Write(buffer, static_cast<UINT>(bytes));
    file.Close();
  } catch (const CFileException&) {
    return 0;
  }
  // Files written while the file-security mode is on get an open access list, so every user of
  // a shared model folder can keep writing them; a failure there does not undo the write.
  qel::ApplyFileSecurity(path);
  return 1;
}

int CDBIO::GetRecordCount(const char* ext, int recordSize) {
  if (recordSize <= 0) return -2;
  std::uint64_t length = 0;
  if (m_pMemReadBuffer) {
    length = m_pMemReadBuffer->size();
  } else {
    const CString path = RecordFilePath(ext);
    if (!FileExists(path)) return -1;
    CFile file(path, kReadFlags);  // throws when it exists but cannot be opened
    length = file.GetLength();
  }
  const auto size = static_cast<std::uint64_t>(recordSize);
  if (length % size != 0) return -2;
  const std::uint64_t n = length / size;
  // A count beyond the 32-bit result is no table this interface can describe.
  return n > static_cast<std::uint64_t>(INT_MAX) ? -2 : static_cast<int>(n);
}

int CDBIO::ReadFirstRecordStamp(const char* ext, int stampOffset, unsigned long& stamp) {
  if (stampOffset < 0 || stampOffset > INT_MAX - 4) return 0;
  std::vector<unsigned char> head(static_cast<std::size_t>(stampOffset) + 4);
  if (!ReadDB(ext, head.data(), static_cast<int>(head.size()), 0, 1)) return 0;
  std::uint32_t v = 0;
  std::memcpy(&v, head.data() + stampOffset, sizeof v);
  stamp = v;
  return 1;
}

int CDBIO::DoesFileExist(CString base, CString ext) { return FileExists(base + "." + ext) ? 1 : 0; }

void CDBIO::EmptyFile(CString base, CString ext) {
  CFile file(base + "." + ext, CFile::modeReadWrite | CFile::shareExclusive | CFile::typeBinary);
  file.SetLength(0);
  file.Close();
}

unsigned long CDBIO::MakeVersion(unsigned short major, unsigned char minor, unsigned char patch) {
  return (static_cast<unsigned long>(major) << 16) | (static_cast<unsigned long>(minor) << 8) |
         static_cast<unsigned long>(patch);
}

void CDBIO::ParseVersion(unsigned long version, unsigned short& major, unsigned char& minor,
                         unsigned char& patch) {
  major = static_cast<unsigned short>((version >> 16) & 0xFFFF);
  minor = static_cast<unsigned char>((version >> 8) & 0xFF);
  patch = static_cast<unsigned char>(version & 0xFF);
}

int CDBIO::RoundUp(int value, int multiple) {
  if (multiple <= 0) return 0;
  const std::int64_t v = static_cast<std::int64_t>(value) + multiple - 1;
  const std::int64_t r = v - v % multiple;
  // A rounded value past the int range has no answer of this type.
  return (r > INT_MAX || r < INT_MIN) ? 0 : static_cast<int>(r);
}

int CDBIO::GetVersionedRecordSize(const qel::VersionedTable& table, unsigned long version) {
  if (version == 0xFFFFFFFFul) {
    unsigned long stamp = 0;
    if (!ReadFirstRecordStamp(table.ext, table.stampOffset, stamp)) return -1;
    version = stamp;
  }
  return table.sizeForStamp(version);
}

int CDBIO::ConvertRecords(const qel::VersionedTable& table, unsigned char* out, long first, long n,
                          unsigned long fileStamp, int oldSize, void* context) {
  int result = 1;
  for (long i = 0; i < n; ++i) {
    unsigned char* slot = out + static_cast<std::size_t>(i) * table.currentSize;
    result = ReadDB(table.ext, slot, oldSize, first + i, 1);
    if (!result) break;
    StoreStamp(slot, table.stampOffset, table.currentStamp);
    if (table.upgrade) table.upgrade(*this, slot, fileStamp, context);
  }
  return result;
}

int CDBIO::ReadVersionedTable(const qel::VersionedTable& table, void* buffer, long count,
                              long start, void* context) {
  if (!buffer || count < 0 || start < 0) return 0;
  unsigned long stamp = 0;
  if (!ReadFirstRecordStamp(table.ext, table.stampOffset, stamp)) return 0;
  if (stamp >= table.currentStamp)
    return ReadDB(table.ext, buffer, table.currentSize, start, count);

  const int oldSize = table.sizeForStamp(stamp);
  // An old record must fit the current-size slot it is read into; a stamp that maps to no such
  // size is garbage and the table is read as it stands.
  if (oldSize <= 0 || oldSize > table.currentSize)
    return ReadDB(table.ext, buffer, table.currentSize, start, count);

  int n = 0;
  try {
    n = GetRecordCount(table.ext, oldSize);
  } catch (const CFileException&) {
    return 0;
  }

  auto* out = static_cast<unsigned char*>(buffer);
  if (table.convertInPlaceOnly) {
    std::memset(out, 0, static_cast<std::size_t>(count) * table.currentSize);
    return ConvertRecords(table, out, start, count, stamp, oldSize, context);
  }
  if (n == count && start == 0) {
    std::memset(out, 0, static_cast<std::size_t>(count) * table.currentSize);
    const int result = ConvertRecords(table, out, 0, n, stamp, oldSize, context);
    if (table.converted) table.converted(*this, out, n, context);
    return result;
  }
  if (n >= count && n >= 1) {
    // The size of the temporary array is bounded by the file: n old records of at least one byte.
    const std::size_t bytes = static_cast<std::size_t>(n) * table.currentSize;
    std::unique_ptr<unsigned char[]> all(new (std::nothrow) unsigned char[bytes]());
    if (!all) return 0;
    const int converted = ConvertRecords(table, all.get(), 0, n, stamp, oldSize, context);
    if (table.converted) table.converted(*this, all.get(), n, context);
    if (converted) {
      if (table.restampOnWriteBack)
        for (int i = 0; i < n; ++i)
          StoreStamp(all.get() + static_cast<std::size_t>(i) * table.currentSize, table.stampOffset,
                     table.currentStamp);
      WriteDB(table.ext, all.get(), table.currentSize, 0, n, table.truncateOnWriteBack ? 1 : 0);
    }
  }
  return ReadDB(table.ext, buffer, table.currentSize, start, count);
}
