#include "archive/qel_unzip.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string_view>

#include "archive/string_utils.h"
#include "archive/zip_progress_internal.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "platform/win_file.h"
#include "platform/file_time.h"
#include "platform/paths.h"

namespace {

// Extraction block: read from the entry, written to the file.
constexpr unsigned kBlock = 4096;
// Longest entry name read from the directory.
constexpr unsigned long kMaxName = 10240;
// The stream "file" name that the open function recognises.
constexpr const char* kStreamName = "::IStream";
// Case rule for unzLocateFile: 2 compares without regard to case.
constexpr int kCaseInsensitive = 2;
// Attempts at replacing a read-only file before giving up.
constexpr int kCreateAttempts = 299;

// Size of the end record of an archive; an archive's comment follows it.
constexpr std::size_t kEndRecord = 22;
constexpr unsigned long long kMax32 = 0xFFFFFFFFull;

unzFile Handle(void* h) { return static_cast<unzFile>(h); }

unsigned Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned long long Le(const unsigned char* p, int bytes) {
  unsigned long long v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// Takes the sizes that the directory gives as 0xFFFFFFFF from the zip64 extra field: the zip
// library keeps the 32-bit values. True when a size was taken.
bool ApplyZip64Sizes(const unsigned char* extra, std::size_t length, unz_file_info64& info) {
  std::size_t at = 0;
  while (at + 4 <= length) {
    const unsigned id = Le16(extra + at), size = Le16(extra + at + 2);
    at += 4;
    if (size > length - at) return false;
    if (id == 0x0001) {
      bool taken = false;
      std::size_t field = at;
      // The fields present are those whose 32-bit value is 0xFFFFFFFF, in this order.
      for (ZPOS64_T* value : {&info.uncompressed_size, &info.compressed_size}) {
        if (*value != kMax32) continue;
        if (field + 8 > at + size) break;
        *value = Le(extra + field, 8);
        field += 8;
        taken = true;
      }
      return taken;
    }
    at += size;
  }
  return false;
}

bool HasSeparator(const std::string& name) {
  return name.find_first_of("/\\") != std::string::npos;
}

}  // namespace

bool CQelUnzip::IsSafeEntryName(const std::string& name) {
  if (name.empty() || isPathSeparator(name[0])) return false;
  if (name.find('\0') != std::string::npos) return false;
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
    return false;
  long depth = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    const std::string_view part(name.data() + start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

namespace {

QelUnzipFileInfo FromMinizip(const unz_file_info64& fi) {
  QelUnzipFileInfo out;
  out.version = fi.version;
  out.version_needed = fi.version_needed;
  out.flag = fi.flag;
  out.compression_method = fi.compression_method;
  out.dosDate = fi.dosDate;
  out.crc = fi.crc;
  out.compressed_size = fi.compressed_size;
  out.uncompressed_size = fi.uncompressed_size;
  out.size_filename = fi.size_filename;
  out.size_file_extra = fi.size_file_extra;
  out.size_file_comment = fi.size_file_comment;
  out.disk_num_start = fi.disk_num_start;
  out.internal_fa = fi.internal_fa;
  out.external_fa = fi.external_fa;
  out.tmu_date = {fi.tmu_date.tm_sec,  fi.tmu_date.tm_min, fi.tmu_date.tm_hour,
                  fi.tmu_date.tm_mday, fi.tmu_date.tm_mon, fi.tmu_date.tm_year};
  return out;
}

// The entry's date, stored as local time, as a UTC file time; false for an invalid date.
bool EntryTime(const QelUnzipFileInfo& info, FILETIME& utc) {
  const auto& d = info.tmu_date;
  if (d.tm_year > 30827 || d.tm_mon > 11 || d.tm_mday > 31 || d.tm_hour > 23 || d.tm_min > 59 ||
      d.tm_sec > 59)
    return false;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(d.tm_year);
  st.wMonth = static_cast<WORD>(d.tm_mon + 1);
  st.wDay = static_cast<WORD>(d.tm_mday);
  st.wHour = static_cast<WORD>(d.tm_hour);
  st.wMinute = static_cast<WORD>(d.tm_min);
  st.wSecond = static_cast<WORD>(d.tm_sec);
  FILETIME local;
  return SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc);
}

bool IsReadableKind(const QelUnzipEntry& entry) {
  const auto& info = entry.info;
  return !(info.flag & 1) &&
         (info.compression_method == 0 || info.compression_method == Z_DEFLATED) &&
         !entry.zip64_sizes;
}

// Creates (or truncates) the target for writing, refusing a read-only file as Windows does even
// for a user the OS would let through.
bool CreateTarget(CFile& file, const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return file.Open(target.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive |
                                       CFile::typeBinary);
}

}  // namespace

CQelUnzip::CQelUnzip() = default;

CQelUnzip::~CQelUnzip() { Close(); }

CQelUnzip::CQelUnzip(const CQelUnzip& other)
    : m_pProgressParent(other.m_pProgressParent),
      m_strProgressTitle(other.m_strProgressTitle),
      m_bShowProgress(other.m_bShowProgress),
      m_bRootOnly(other.m_bRootOnly),
      m_bOverwriteReadOnly(other.m_bOverwriteReadOnly),
      m_readLimit(other.m_readLimit) {}

CQelUnzip& CQelUnzip::operator=(const CQelUnzip& other) {
  if (this != &other) {
    Close();
    m_pProgressParent = other.m_pProgressParent;
    m_strProgressTitle = other.m_strProgressTitle;
    m_bShowProgress = other.m_bShowProgress;
    m_bRootOnly = other.m_bRootOnly;
    m_bOverwriteReadOnly = other.m_bOverwriteReadOnly;
    m_readLimit = other.m_readLimit;
  }
  return *this;
}

bool CQelUnzip::Open(const char* path) {
  Close();
  if (!path || !*path) return false;
  const std::string native = qel::NativePath(path);
  m_hUnzip = unzOpen64(native.c_str());
  std::vector<unsigned char> bytes;
  if (!m_hUnzip && qel::ReadWholeFile(native, bytes, nullptr, kEndRecord + 0xFFFF))
    OpenEmptyArchive(bytes);
  return IsOpen();
}

bool CQelUnzip::OpenEmptyArchive(const std::vector<unsigned char>& bytes) {
  const unsigned char* p = bytes.data();
  if (bytes.size() < kEndRecord || Le(p, 4) != 0x06054b50 || Le(p + 4, 4) != 0 ||
      Le(p + 8, 4) != 0 || Le(p + 12, 8) != 0 || bytes.size() != kEndRecord + Le16(p + 20))
    return false;
  m_bEmptyArchive = true;
  m_strEmptyComment.assign(bytes.begin() + kEndRecord, bytes.end());
  return true;
}

bool CQelUnzip::Open(IStream* stream) {
  // The reference is taken before closing, so re-opening the stream already held keeps it alive.
  if (stream) stream->AddRef();
  Close();
  m_pStream = stream;
  if (!stream) return false;
  zlib_filefunc_def functions{};
  functions.zopen_file = StaticIStreamOpen;
  functions.zread_file = StaticIStreamRead;
  functions.zwrite_file = StaticIStreamWrite;
  functions.ztell_file = StaticIStreamTell;
  functions.zseek_file = StaticIStreamSeek;
  functions.zclose_file = StaticIStreamClose;
  functions.zerror_file = StaticIStreamTestError;
  functions.opaque = this;
  m_hUnzip = unzOpen2(kStreamName, &functions);
  if (!m_hUnzip) {
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    ULONG got = 0;
    if (SUCCEEDED(stream->Seek(zero, STREAM_SEEK_END, &end)) &&
        end.QuadPart <= kEndRecord + 0xFFFF &&
        SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
      std::vector<unsigned char> bytes(static_cast<std::size_t>(end.QuadPart));
      if (SUCCEEDED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got)) &&
          got == bytes.size())
        OpenEmptyArchive(bytes);
    }
  }
  return IsOpen();
}

void CQelUnzip::Close() {
  if (m_hUnzip) unzClose(Handle(m_hUnzip));
  m_hUnzip = nullptr;
  m_bEmptyArchive = false;
  m_strEmptyComment.clear();
  m_cache = Cache{};
  if (m_pStream) m_pStream->Release();
  m_pStream = nullptr;
}

void CQelUnzip::Scan() {
  if (m_cache.built) return;
  m_cache = Cache{};
  m_cache.built = true;
  m_cache.rootOnly = m_bRootOnly;
  if (!m_hUnzip) return;
  unzFile h = Handle(m_hUnzip);
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(h, &global) != UNZ_OK) {
    m_cache.damaged = true;
    return;
  }
  if (global.number_entry == 0) return;
  std::vector<char> name(kMaxName + 1);
  std::vector<unsigned char> extra(0xFFFF);
  int err = unzGoToFirstFile(h);
  while (err == UNZ_OK) {
    unz_file_info64 fi{};
    err = unzGetCurrentFileInfo64(h, &fi, name.data(), static_cast<uLong>(name.size()),
                                  extra.data(), static_cast<uLong>(extra.size()), nullptr, 0);
    unz64_file_pos pos{};
    if (err == UNZ_OK) err = unzGetFilePos64(h, &pos);
    if (err != UNZ_OK) break;
    if (fi.size_filename > kMaxName) {
      m_cache.refused.push_back({std::string(name.data(), kMaxName), QelZipError::kBadName});
    } else {
      QelUnzipEntry entry;
      entry.name.assign(name.data(), fi.size_filename);
      entry.pos_in_zip_directory = pos.pos_in_zip_directory;
      entry.num_of_file = pos.num_of_file;
      entry.zip64_sizes = ApplyZip64Sizes(extra.data(), fi.size_file_extra, fi);
      entry.info = FromMinizip(fi);
      if (!(m_cache.rootOnly && HasSeparator(entry.name))) {
        const std::string ext = lowerCaseString(extensionFromPath(entry.name));
        const std::string key = entry.name;
        // A name stored twice keeps its first entry.
        if (m_cache.entries.emplace(key, std::move(entry)).second)
          m_cache.byExtension[ext].insert(key);
      }
    }
    err = unzGoToNextFile(h);
  }
  if (err != UNZ_END_OF_LIST_OF_FILE) m_cache.damaged = true;
}

bool CQelUnzip::OpenEntry(const QelUnzipEntry& entry) {
  // The zip library hands out entries of other methods (bzip2) raw and reads encrypted ones
  // as if they were not.
  if (!m_hUnzip || !IsReadableKind(entry)) return false;
  unz64_file_pos pos{entry.pos_in_zip_directory, entry.num_of_file};
  return unzGoToFilePos64(Handle(m_hUnzip), &pos) == UNZ_OK &&
         unzOpenCurrentFile(Handle(m_hUnzip)) == UNZ_OK;
}

template <class Sink>
bool CQelUnzip::ReadOpenedEntry(const QelUnzipEntry& entry, std::size_t block, Sink&& sink,
                                bool* sinkFailed) {
  unzFile h = Handle(m_hUnzip);
  std::vector<unsigned char> buffer(block);
  unsigned long long done = 0;
  bool ok = true;
  // The zip library never yields more than the declared size.
  for (;;) {
    const int n = unzReadCurrentFile(h, buffer.data(), static_cast<unsigned>(block));
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    done += static_cast<unsigned>(n);
    if (!sink(buffer.data(), static_cast<std::size_t>(n))) {
      *sinkFailed = true;
      ok = false;
      break;
    }
  }
  // Closing checks the CRC once every declared byte was read.
  if (unzCloseCurrentFile(h) != UNZ_OK) ok = false;
  return ok && done == entry.info.uncompressed_size;
}

const std::set<std::string>& CQelUnzip::GetPathsForExtension(const std::string& ext) {
  Scan();
  auto it = m_cache.byExtension.find(lowerCaseString(ext));
  return it == m_cache.byExtension.end() ? m_emptySet : it->second;
}

const std::map<std::string, QelUnzipEntry>& CQelUnzip::GetEntries() {
  Scan();
  return m_cache.entries;
}

bool CQelUnzip::IsDamaged() {
  Scan();
  return m_cache.damaged;
}

bool CQelUnzip::IsFileInZipFile(const char* name) {
  return m_hUnzip && name && unzLocateFile(Handle(m_hUnzip), name, kCaseInsensitive) == UNZ_OK;
}

bool CQelUnzip::GetGlobalComment(std::string& out) {
  out.clear();
  if (m_bEmptyArchive) {
    out = m_strEmptyComment;
    return true;
  }
  unz_global_info64 global{};
  if (!m_hUnzip || unzGetGlobalInfo64(Handle(m_hUnzip), &global) != UNZ_OK) return false;
  std::vector<char> text(global.size_comment + 1);
  const int n = unzGetGlobalComment(Handle(m_hUnzip), text.data(), text.size());
  if (n < 0) return false;
  out.assign(text.data(), static_cast<std::size_t>(n));
  return true;
}

bool CQelUnzip::ReadFileData(const std::string& name, std::vector<unsigned char>& data,
                             unsigned long long extra) {
  data.clear();
  Scan();
  auto it = m_cache.entries.find(name);
  if (it == m_cache.entries.end()) return false;
  const unsigned long long declared = it->second.info.uncompressed_size;
  if (declared > m_readLimit || extra > m_readLimit - declared ||
      declared + extra > data.max_size())
    return false;
  if (!OpenEntry(it->second)) return false;
  // The buffer grows with what the data yields, never ahead of it on the declared size alone;
  // running out of memory on the way is a failed read like any other.
  bool unused = false, ok = false;
  try {
    ok = ReadOpenedEntry(
        it->second, 1 << 16,
        [&data](const unsigned char* p, std::size_t n) {
          data.insert(data.end(), p, p + n);
          return true;
        },
        &unused);
    if (ok) data.resize(static_cast<std::size_t>(declared + extra));
  } catch (const std::bad_alloc&) {
    unzCloseCurrentFile(Handle(m_hUnzip));
    ok = false;
  }
  if (!ok) {
    data.clear();
    data.shrink_to_fit();
  }
  return ok;
}

std::set<std::string> CQelUnzip::OverlappingEntries() {
  struct Span {
    unsigned long long start, end;
    const std::string* name;
  };
  std::vector<Span> spans;
  for (const auto& [name, entry] : m_cache.entries) {
    if (!OpenEntry(entry)) continue;  // fails again, with its own error, when extracted
    const unsigned long long start = unzGetCurrentFileZStreamPos64(Handle(m_hUnzip));
    unzCloseCurrentFile(Handle(m_hUnzip));
    spans.push_back({start, start + entry.info.compressed_size, &name});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.start < b.start; });
  std::set<std::string> overlapping;
  const Span* reach = nullptr;  // the span reaching furthest so far
  for (const Span& s : spans) {
    if (reach && s.start < reach->end) {
      overlapping.insert(*s.name);
      overlapping.insert(*reach->name);
    }
    if (!reach || s.end > reach->end) reach = &s;
  }
  return overlapping;
}

bool CQelUnzip::Unzip(const char* destFolder) {
  m_failed.clear();
  if (!IsOpen()) return false;
  Scan();
  m_failed = m_cache.refused;
  if (m_cache.damaged) {
    m_failed.push_back({"", QelZipError::kDamagedDirectory});
    return false;
  }
  const std::string dest = destFolder ? destFolder : "";
  const std::set<std::string> overlapping = OverlappingEntries();
  qel::ZipProgressSession progress(m_bShowProgress,
                                   m_pProgressParent ? m_pProgressParent->GetSafeHwnd() : nullptr,
                                   m_strProgressTitle, static_cast<int>(m_cache.entries.size()));
  std::map<std::string, FILETIME> folderTimes;
  int number = 0;
  for (const auto& [name, entry] : m_cache.entries) {
    QelZipError error{};
    if (overlapping.count(name))
      m_failed.push_back({name, QelZipError::kOverlapping});
    else if (!UnzipEntry(entry, dest, folderTimes, progress, &error))
      m_failed.push_back({name, error});
    progress.Step(++number, name);
  }
  for (const auto& [folder, time] : folderTimes) qel::SetFileTimes(folder, time, time);
  return m_failed.empty();
}

bool CQelUnzip::UnzipEntry(const QelUnzipEntry& entry, const std::string& destFolder,
                           std::map<std::string, FILETIME>& folderTimes,
                           qel::ZipProgressSession& progress, QelZipError* error) {
  const std::string& name = entry.name;
  if (m_bRootOnly && HasSeparator(name)) return true;
  *error = QelZipError::kBadName;
  if (!IsSafeEntryName(name)) return false;
  const std::string target = buildPathString(destFolder, name);

  *error = QelZipError::kCreateFailed;
  if (isPathSeparator(target.back())) {
    if (!EnsurePathExists(target)) return false;
    FILETIME time;
    if (EntryTime(entry.info, time)) folderTimes[target] = time;
    return true;
  }
  if (lastPathSeparatorInString(target) != std::string::npos &&
      !EnsurePathExists(directoryFromPathString(target)))
    return false;

  *error = QelZipError::kUnsupported;
  if (!IsReadableKind(entry)) return false;

  CFile file;
  bool created = CreateTarget(file, target);
  for (int attempt = 1; !created && m_bOverwriteReadOnly && attempt < kCreateAttempts; ++attempt) {
    if (!SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE)) break;
    created = CreateTarget(file, target);
  }
  if (!created) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    *error = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)
                 ? QelZipError::kReadOnly
                 : QelZipError::kCreateFailed;
    return false;
  }

  *error = QelZipError::kCorruptData;
  if (!OpenEntry(entry)) {
    file.Abort();
    return false;
  }
  progress.BytesRange(entry.info.uncompressed_size);
  unsigned long long done = 0;
  bool writeFailed = false;
  bool ok = ReadOpenedEntry(
      entry, kBlock,
      [&](const unsigned char* p, std::size_t n) {
        try {
          file.Write(p, static_cast<UINT>(n));
        } catch (const CFileException&) {
          return false;
        }
        done += n;
        progress.Bytes(done);
        return true;
      },
      &writeFailed);
  try {
    file.Close();
  } catch (const CFileException&) {
    if (ok) writeFailed = true;
    ok = false;
  }
  if (writeFailed) *error = QelZipError::kWriteFailed;
  if (!ok) return false;
  FILETIME time;
  if (EntryTime(entry.info, time)) qel::SetFileTimes(target, time, time);
  return true;
}

void* CQelUnzip::IStreamOpen(const char* name, int /*mode*/) {
  return name && std::strcmp(name, kStreamName) == 0 ? m_pStream : nullptr;
}

void* CQelUnzip::StaticIStreamOpen(void* opaque, const char* name, int mode) {
  return static_cast<CQelUnzip*>(opaque)->IStreamOpen(name, mode);
}

unsigned long CQelUnzip::StaticIStreamRead(void*, void* stream, void* buf, unsigned long size) {
  ULONG read = 0;
  const ULONG ask = size > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<ULONG>(size);
  if (FAILED(static_cast<IStream*>(stream)->Read(buf, ask, &read))) return 0;
  return read;
}

unsigned long CQelUnzip::StaticIStreamWrite(void*, void*, const void*, unsigned long) { return 0; }

long CQelUnzip::StaticIStreamTell(void*, void* stream) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER pos{};
  if (FAILED(static_cast<IStream*>(stream)->Seek(zero, STREAM_SEEK_CUR, &pos))) return -1;
  return static_cast<long>(pos.QuadPart);
}

long CQelUnzip::StaticIStreamSeek(void*, void* stream, unsigned long offset, int origin) {
  DWORD from;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      from = STREAM_SEEK_SET;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      from = STREAM_SEEK_CUR;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      from = STREAM_SEEK_END;
      break;
    default:
      return -1;
  }
  LARGE_INTEGER move{};
  move.QuadPart = static_cast<LONGLONG>(offset);
  return FAILED(static_cast<IStream*>(stream)->Seek(move, from, nullptr)) ? -1 : 0;
}

int CQelUnzip::StaticIStreamClose(void*, void*) { return 0; }
int CQelUnzip::StaticIStreamTestError(void*, void*) { return 0; }
