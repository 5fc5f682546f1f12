#include "archive/qel_zip.h"

#include <minizip/zip.h>

#include "archive/string_utils.h"
#include "archive/zip_progress_internal.h"
#include "platform/cfile.h"
#include "platform/cfilefind.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/paths.h"

namespace {

// Read size of a source file, and of each write into the archive.
constexpr UINT kBlock = 4096;
// Entries this large need the zip64 form of sizes.
constexpr ULONGLONG kZip64Threshold = 0xFFFFFFFFull;

// folder + '/' + name, built by appending (GCC 12 misreads operator+ chains, -Wrestrict).
std::string Joined(const std::string& folder, const std::string& name) {
  std::string out;
  out.reserve(folder.size() + 1 + name.size());
  return out.append(folder).append(1, '/').append(name);
}

std::string Normalised(const char* name) {
  std::string s = lowerCaseString(std::string(name ? name : ""));
  replaceStringCharacter(s, '\\', '/', true);
  return s;
}

// The file's last-write time (UTC) as local calendar fields in `out`. Zip dates hold the years
// 1980 to 2107: earlier times become the first moment and later ones the last.
bool ConvertFromLocalFileTime(const FILETIME& time, tm_zip& out) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  if (st.wYear < 1980) {
    out = tm_zip{0, 0, 0, 1, 0, 1980};
  } else if (st.wYear > 2107) {
    out = tm_zip{58, 59, 23, 31, 11, 2107};
  } else {
    out.tm_sec = st.wSecond;
    out.tm_min = st.wMinute;
    out.tm_hour = st.wHour;
    out.tm_mday = st.wDay;
    out.tm_mon = st.wMonth - 1u;
    out.tm_year = st.wYear;
  }
  return true;
}

}  // namespace

CQelZip::CQelZip() = default;

CQelZip::~CQelZip() { Close(); }

CQelZip::CQelZip(const CQelZip& other)
    : m_hProgressParent(other.m_hProgressParent),
      m_strProgressTitle(other.m_strProgressTitle),
      m_strGlobalComment(other.m_strGlobalComment),
      m_ignoredNames(other.m_ignoredNames),
      m_ignoredPatterns(other.m_ignoredPatterns),
      m_bShowProgress(other.m_bShowProgress),
      m_bRootOnly(other.m_bRootOnly),
      m_bDeleteOriginalFiles(other.m_bDeleteOriginalFiles) {}

CQelZip& CQelZip::operator=(const CQelZip& other) {
  if (this != &other) {
    Close();
    m_hProgressParent = other.m_hProgressParent;
    m_strProgressTitle = other.m_strProgressTitle;
    m_strGlobalComment = other.m_strGlobalComment;
    m_ignoredNames = other.m_ignoredNames;
    m_ignoredPatterns = other.m_ignoredPatterns;
    m_bShowProgress = other.m_bShowProgress;
    m_bRootOnly = other.m_bRootOnly;
    m_bDeleteOriginalFiles = other.m_bDeleteOriginalFiles;
  }
  return *this;
}

bool CQelZip::Open(const char* path) {
  Close();
  if (!path || !*path) return false;
  const std::string native = qel::NativePath(path);
  m_hZip = zipOpen64(native.c_str(), APPEND_STATUS_CREATE);
  m_strArchivePath = native.c_str();
  return IsOpen();
}

void CQelZip::Close() {
  if (!m_hZip) return;
  const bool closed =
      zipClose(m_hZip, m_strGlobalComment.IsEmpty() ? nullptr : m_strGlobalComment.GetString()) ==
      ZIP_OK;
  m_hZip = nullptr;
  if (closed)
    for (const std::string& path : m_pendingDeletes) DeleteFileA(path.c_str());
  m_pendingDeletes.clear();
}

void CQelZip::AddIgnoredFile(const char* name) {
  const std::string s = Normalised(name);
  (HasGlobbing(s) ? m_ignoredPatterns : m_ignoredNames).insert(s);
}

void CQelZip::RemoveIgnoredFile(const char* name) {
  const std::string s = Normalised(name);
  (HasGlobbing(s) ? m_ignoredPatterns : m_ignoredNames).erase(s);
}

void CQelZip::AddIgnoredFiles(const char* list) {
  std::vector<std::string> names;
  componentsSeparatedByString(list ? list : "", " ", names);
  AddIgnoredFiles(names);
}

void CQelZip::AddIgnoredFiles(const std::vector<std::string>& names) {
  for (const std::string& n : names) AddIgnoredFile(n.c_str());
}

void CQelZip::RemoveIgnoredFiles(const std::vector<std::string>& names) {
  for (const std::string& n : names) RemoveIgnoredFile(n.c_str());
}

bool CQelZip::IsIgnoredFile(const char* relPath) const {
  if (m_ignoredNames.count(Normalised(relPath))) return true;
  const std::string name = filenameFromPathString(std::string(relPath ? relPath : ""));
  for (const std::string& pattern : m_ignoredPatterns)
    if (PathMatchSpecA(name.c_str(), pattern.c_str())) return true;
  return false;
}

bool CQelZip::HasGlobbing(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

std::string CQelZip::RelativePathWithPrefix(const std::string& prefix, const char* name) {
  return prefix.empty() ? std::string(name) : Joined(prefix, name);
}

void CQelZip::ScanFolder(const std::string& folderPath, const std::string& prefix, FileMap& files,
                         const std::string& pattern, FolderIds& visiting) {
  CFileFind find;
  BOOL more = find.FindFile(Joined(folderPath, pattern).c_str());
  while (more) {
    more = find.FindNextFile();
    if (find.IsDots()) continue;
    const CString name = find.GetFileName();
    const std::string rel = RelativePathWithPrefix(prefix, name);
    if (IsIgnoredFile(rel.c_str())) continue;
    const std::string full = Joined(folderPath, name.str());
    if (!find.IsDirectory()) {
      // The archive being written is never stored in itself.
      qel::FileIdentity id;
      if (m_archiveId && qel::StatFile(full, id) && id.device == m_archiveId->device &&
          id.inode == m_archiveId->inode)
        continue;
      FILETIME time{};
      find.GetLastWriteTime(time);
      files[rel] = FoundFile{full, time};
    } else if (!m_bRootOnly) {
      // A folder already on the way down (reached again through a link) would never end.
      qel::FileIdentity id;
      if (!qel::StatFile(full, id) || !visiting.insert({id.device, id.inode}).second) continue;
      ScanFolder(full, rel, files, "*.*", visiting);
      visiting.erase({id.device, id.inode});
    }
  }
}

bool CQelZip::Zip(const char* folder, const char* pattern) {
  m_zipped.clear();
  m_failed.clear();
  m_archiveId.reset();
  if (!IsOpen()) return false;
  std::string top = folder && *folder ? qel::NativePath(folder) : std::string(".");
  while (top.size() > 1 && top.back() == '/') top.pop_back();
  qel::FileIdentity topId;
  if (!qel::IsDirectory(top) || !qel::StatFile(top, topId)) return false;

  qel::FileIdentity archiveId;
  if (qel::StatFile(m_strArchivePath.str(), archiveId)) m_archiveId = archiveId;
  FileMap files;
  FolderIds visiting{{topId.device, topId.inode}};
  ScanFolder(top == "/" ? "" : top, "", files, pattern ? pattern : "*.*", visiting);

  qel::ZipProgressSession progress(m_bShowProgress, m_hProgressParent, m_strProgressTitle,
                                   static_cast<int>(files.size()));
  bool result = true;
  int number = 0;
  for (const auto& [rel, file] : files) {
    progress.Step(++number, rel);
    QelZipError error{};
    if (ZipFile(rel.c_str(), file, progress, &error)) {
      m_zipped.push_back(rel);
      if (m_bDeleteOriginalFiles) m_pendingDeletes.push_back(file.fullPath);
    } else {
      m_failed.push_back({rel, error});
      result = false;
    }
  }
  return result;
}

bool CQelZip::ZipFile(const char* name, const FoundFile& file, qel::ZipProgressSession& progress,
                      QelZipError* error) {
  // The source is opened first, so a file that cannot be read leaves no empty entry behind.
  CFile source;
  if (!source.Open(file.fullPath.c_str(),
                   CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
    *error = QelZipError::kSourceUnreadable;
    return false;
  }
  const ULONGLONG size = source.GetLength();

  zip_fileinfo info{};
  if (!ConvertFromLocalFileTime(file.time, info.tmz_date)) info.tmz_date = tm_zip{};
  if (zipOpenNewFileInZip64(m_hZip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9,
                            size >= kZip64Threshold ? 1 : 0) != ZIP_OK) {
    *error = QelZipError::kArchiveWrite;
    return false;
  }
  progress.BytesRange(size);
  unsigned char buffer[kBlock];
  ULONGLONG done = 0;
  bool readFailed = false, writeFailed = false;
  for (;;) {
    UINT n = 0;
    try {
      n = source.Read(buffer, kBlock);
    } catch (const CFileException&) {
      readFailed = true;
    }
    if (readFailed || n == 0) break;
    if (zipWriteInFileInZip(m_hZip, buffer, n) != ZIP_OK) {
      writeFailed = true;
      break;
    }
    done += n;
    progress.Bytes(done);
  }
  const bool closed = zipCloseFileInZip(m_hZip) == ZIP_OK;
  if (writeFailed || !closed) {
    *error = QelZipError::kArchiveWrite;
    return false;
  }
  if (readFailed || done < size) {
    *error = QelZipError::kSourceUnreadable;
    return false;
  }
  return true;
}
