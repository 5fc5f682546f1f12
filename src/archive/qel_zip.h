// CQelZip: packs the files of a folder (and, unless root only, of its sub-folders) into a new zip
// archive, deflated at level 9, each entry carrying its file's last-write time as local time.
//
// Contract:
// - Open creates the archive (replacing any file at the path); Close writes the central directory
//   with the global comment. The destructor closes.
// - Zip stores every selected file under its path relative to the folder ('/' between levels) in
//   ascending byte order of those paths, and is true only when every one was stored completely.
//   It goes on after a failed file; GetFailedFiles then names each failure and GetZippedFiles the
//   files stored completely. Ignored names and patterns (AddIgnoredFile) keep files and folders
//   out; an ignored folder is not entered. A folder reached again through a link is not entered
//   a second time. Zip neither changes the process's current folder nor follows the pattern
//   below the top folder (inside sub-folders every file is taken). The archive itself, when it
//   lies in the folder, is left out.
// - With delete original files, a source file is deleted only when it was stored completely and
//   the archive holding it was closed without error (in Close), so a failure never costs a file.
// - Times: an entry's date is its file's last-write time in local time, clamped to the years zip
//   dates can hold (1980-2107); zip dates count seconds in steps of two.
// - Entries of 4 GiB or more are written in the zip64 form; smaller ones in the classic form.
// - With show progress, each Zip creates the platform's progress dialog (see platform/progress.h)
//   and deletes it before returning.
// - Copying copies settings and ignore sets; the copy is closed (an archive has one writer).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/zip_failure.h"
#include "platform/cstring.h"
#include "platform/file_system.h"
#include "platform/win_types.h"

namespace qel {
class ZipProgressSession;
}

class CQelZip {
 public:
  CQelZip();
  ~CQelZip();
  CQelZip(const CQelZip& other);
  CQelZip& operator=(const CQelZip& other);

  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return m_hZip != nullptr; }

  // Stores the files of `folder` whose names match `pattern` (null: "*.*").
  bool Zip(const char* folder, const char* pattern = nullptr);

  void SetGlobalComment(const char* comment) { m_strGlobalComment = comment ? comment : ""; }
  void SetProgressTitle(const char* title) { m_strProgressTitle = title ? title : ""; }
  CString GetProgressTitle() const { return m_strProgressTitle; }
  void SetProgressParent(HWND parent) { m_hProgressParent = parent; }
  void SetShowProgress(bool show) { m_bShowProgress = show; }
  bool GetShowProgress() const { return m_bShowProgress; }
  void SetRootOnly(bool rootOnly) { m_bRootOnly = rootOnly; }
  bool GetRootOnly() const { return m_bRootOnly; }
  void SetDeleteOriginalFiles(bool del) { m_bDeleteOriginalFiles = del; }
  bool GetDeleteOriginalFiles() const { return m_bDeleteOriginalFiles; }

  // Names are compared lower-cased with '/' for '\'. A name holding '*' or '?' is a pattern,
  // matched against a file's or folder's own name (PathMatchSpecA); any other is a relative path
  // matched whole.
  void AddIgnoredFile(const char* name);
  void RemoveIgnoredFile(const char* name);
  // Adds each piece of `list` split at every single space.
  void AddIgnoredFiles(const char* list);
  void AddIgnoredFiles(const std::vector<std::string>& names);
  void RemoveIgnoredFiles(const std::vector<std::string>& names);
  bool IsIgnoredFile(const char* relPath) const;
  static bool HasGlobbing(const std::string& text);

  // Of the last Zip: relative paths stored completely, and those that failed with why.
  const std::vector<std::string>& GetZippedFiles() const { return m_zipped; }
  const std::vector<QelZipFailure>& GetFailedFiles() const { return m_failed; }

 private:
  struct FoundFile {
    std::string fullPath;
    FILETIME time;
  };
  using FileMap = std::map<std::string, FoundFile>;

  using FolderIds = std::set<std::pair<unsigned long long, unsigned long long>>;

  // Stores one file; kArchiveWrite or kSourceUnreadable in *error when it fails.
  bool ZipFile(const char* name, const FoundFile& file, qel::ZipProgressSession& progress,
               QelZipError* error);
  // Records the files of `folderPath` matching `pattern` under `prefix`, entering sub-folders
  // unless root only; `visiting` holds the folders on the way down (device, inode).
  void ScanFolder(const std::string& folderPath, const std::string& prefix, FileMap& files,
                  const std::string& pattern, FolderIds& visiting);
  static std::string RelativePathWithPrefix(const std::string& prefix, const char* name);

  void* m_hZip = nullptr;  // minizip zipFile
  HWND m_hProgressParent = nullptr;
  CString m_strProgressTitle;
  CString m_strGlobalComment;
  std::set<std::string> m_ignoredNames;
  std::set<std::string> m_ignoredPatterns;
  bool m_bShowProgress = false;
  bool m_bRootOnly = false;
  bool m_bDeleteOriginalFiles = false;
  std::vector<std::string> m_zipped;
  std::vector<QelZipFailure> m_failed;
  std::vector<std::string> m_pendingDeletes;
  CString m_strArchivePath;  // as opened
  std::optional<qel::FileIdentity>
      m_archiveId;  // of the archive, during Zip  // full paths, deleted once Close succeeds
};
