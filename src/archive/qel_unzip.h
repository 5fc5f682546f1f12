// CQelUnzip: lists, reads and extracts the entries of a zip archive, opened by path or from an
// IStream (platform/istream.h), so an archive in memory or behind any stream can be read.
//
// Contract:
// - Open/Close as for a file; Close releases a stream the archive was opened from. The entry
//   cache (name -> entry, extension -> names) is built on first need and lives until Close; names
//   and sets are ordered byte by byte. Entries whose names contain a separator are left out of it
//   while root only is set (a later change of root only does not rebuild it).
// - Nothing in an archive is trusted:
//   * an entry whose name is empty, absolute ('/' or '\' first), drive-prefixed ("C:"), longer than
//     10240 bytes, or whose ".." components lead out of the destination folder is refused (that
//     entry fails, nothing is written outside the destination);
//   * entries whose data share bytes (the overlapping-entry zip bomb) are refused;
//   * memory is never allocated on a declared size: ReadFileData grows its buffer as data arrives,
//     and refuses an entry whose declared size (plus `extra`) passes the read limit (1 GiB unless
//     set); an entry never yields more than its declared size;
//   * data is checked against its CRC; a damaged entry fails, a damaged directory makes Unzip
//     extract nothing (IsDamaged tells);
//   * entries that are encrypted, compressed by other methods than stored and deflate, or sized
//     in the zip64 form (see QelUnzipEntry::zip64_sizes) fail as unsupported.
// - An archive without entries (its end record alone) opens, lists nothing and unzips to
//   nothing.
// - Unzip extracts every cached entry in name order into the destination folder (created as
//   needed), goes on after a failure and is true when every entry succeeded; GetFailedEntries
//   names the failures. A file whose data turns out damaged stays on disk as far as it was
//   written. Extracted files and folders get the entry's date (stored as local time) as their
//   access and write times; folders get theirs at the end, once their contents are in place.
// - A read-only file in the way is replaced only with overwrite read-only set (its write
//   permission is given back first).
// - With show progress, each Unzip creates the platform's progress dialog and deletes it before
//   returning.
// - Copying copies settings; the copy is closed (an open archive has one reader).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/zip_failure.h"
#include "platform/cstring.h"
#include "platform/cwnd.h"
#include "platform/istream.h"
#include "platform/win_types.h"

namespace qel {
class ZipProgressSession;
}

// What the archive's directory says about one entry (the fields of minizip's file info).
struct QelUnzipFileInfo {
  unsigned long version = 0;
  unsigned long version_needed = 0;
  unsigned long flag = 0;
  unsigned long compression_method = 0;
  unsigned long dosDate = 0;
  unsigned long crc = 0;
  unsigned long long compressed_size = 0;
  unsigned long long uncompressed_size = 0;
  unsigned long size_filename = 0;
  unsigned long size_file_extra = 0;
  unsigned long size_file_comment = 0;
  unsigned long disk_num_start = 0;
  unsigned long internal_fa = 0;
  unsigned long external_fa = 0;
  // The date's fields as stored: month 0-11, the year in full. A zero date has no valid month.
  struct {
    unsigned tm_sec, tm_min, tm_hour, tm_mday, tm_mon, tm_year;
  } tmu_date{};
};

struct QelUnzipEntry {
  std::string name;
  // Where the entry sits in the archive's directory (minizip's file position).
  unsigned long long pos_in_zip_directory = 0;
  unsigned long long num_of_file = 0;
  QelUnzipFileInfo info;
  // The directory gave the sizes in the zip64 extra field (the sizes in `info` are those). The
  // zip library this reader is built on keeps the 32-bit placeholders for itself and cannot read
  // such an entry's data, so it is refused as unsupported (entries of 4 GiB or more always are).
  bool zip64_sizes = false;
};

class CQelUnzip {
 public:
  CQelUnzip();
  ~CQelUnzip();
  CQelUnzip(const CQelUnzip& other);
  CQelUnzip& operator=(const CQelUnzip& other);

  bool Open(const char* path);
  bool Open(IStream* stream);
  void Close();
  bool IsOpen() const { return m_hUnzip != nullptr || m_bEmptyArchive; }

  // Extracts into `destFolder` (null: the current folder).
  bool Unzip(const char* destFolder);
  // Whether an entry of that name exists, compared without regard to ASCII case.
  bool IsFileInZipFile(const char* name);
  // Names of the entries whose extension (lower-cased) is `ext` lower-cased.
  const std::set<std::string>& GetPathsForExtension(const std::string& ext);
  // Every cached entry by name.
  const std::map<std::string, QelUnzipEntry>& GetEntries();
  // Whether reading the archive's directory stopped at damage (the cache then holds the entries
  // before it).
  bool IsDamaged();
  bool GetGlobalComment(std::string& out);
  // The entry's bytes followed by `extra` zero bytes. True when exactly the declared number of
  // bytes came back and matched the entry's CRC; otherwise `data` is emptied.
  bool ReadFileData(const std::string& name, std::vector<unsigned char>& data,
                    unsigned long long extra = 0);

  void SetShowProgress(bool show) { m_bShowProgress = show; }
  bool GetShowProgress() const { return m_bShowProgress; }
  void SetRootOnly(bool rootOnly) { m_bRootOnly = rootOnly; }
  bool GetRootOnly() const { return m_bRootOnly; }
  void SetOverwriteReadOnly(bool overwrite) { m_bOverwriteReadOnly = overwrite; }
  bool GetOverwriteReadOnly() const { return m_bOverwriteReadOnly; }
  void SetProgressParent(CWnd* parent) { m_pProgressParent = parent; }
  void SetProgressTitle(const char* title) { m_strProgressTitle = title ? title : ""; }
  CString GetProgressTitle() const { return m_strProgressTitle; }
  // The most bytes ReadFileData will hold for one entry (its declared size plus `extra`).
  void SetReadLimit(unsigned long long bytes) { m_readLimit = bytes; }
  unsigned long long GetReadLimit() const { return m_readLimit; }

  // Whether extracting an entry of this name under a folder stays inside it: not empty, not
  // absolute, no drive, no NUL, and no ".." that climbs above the folder.
  static bool IsSafeEntryName(const std::string& name);

  // Of the last Unzip: the entries that failed, with why.
  const std::vector<QelZipFailure>& GetFailedEntries() const { return m_failed; }

 private:
  struct Cache {
    bool built = false;
    bool damaged = false;
    bool rootOnly = false;
    std::map<std::string, QelUnzipEntry> entries;
    std::map<std::string, std::set<std::string>> byExtension;
    std::vector<QelZipFailure> refused;  // entries left out while reading the directory
  };

  void Scan();
  // Moves to the entry and opens its data; false also for entries this reader does not read.
  bool OpenEntry(const QelUnzipEntry& entry);
  // Reads the opened entry's data into `sink` in blocks of at most `block` bytes, then closes
  // it; true when the whole size came and matched the CRC. `sink` returns false to stop (a write
  // failed), reported through *sinkFailed.
  template <class Sink>
  bool ReadOpenedEntry(const QelUnzipEntry& entry, std::size_t block, Sink&& sink,
                       bool* sinkFailed);
  // An archive with no entries, which the zip library cannot open: recognised from its bytes.
  bool OpenEmptyArchive(const std::vector<unsigned char>& bytes);
  bool UnzipEntry(const QelUnzipEntry& entry, const std::string& destFolder,
                  std::map<std::string, FILETIME>& folderTimes, qel::ZipProgressSession& progress,
                  QelZipError* error);
  // The names of entries whose data overlaps another entry's.
  std::set<std::string> OverlappingEntries();

  // minizip's file functions over the held stream; `opaque` is the object.
  void* IStreamOpen(const char* name, int mode);
  static void* StaticIStreamOpen(void* opaque, const char* name, int mode);
  static unsigned long StaticIStreamRead(void* opaque, void* stream, void* buf, unsigned long size);
  static unsigned long StaticIStreamWrite(void* opaque, void* stream, const void* buf,
                                          unsigned long size);
  static long StaticIStreamTell(void* opaque, void* stream);
  static long StaticIStreamSeek(void* opaque, void* stream, unsigned long offset, int origin);
  static int StaticIStreamClose(void* opaque, void* stream);
  static int StaticIStreamTestError(void* opaque, void* stream);

  void* m_hUnzip = nullptr;  // minizip unzFile
  bool m_bEmptyArchive = false;
  std::string m_strEmptyComment;
  Cache m_cache;
  const std::set<std::string> m_emptySet{};
  CWnd* m_pProgressParent = nullptr;
  CString m_strProgressTitle;
  bool m_bShowProgress = false;
  bool m_bRootOnly = false;
  bool m_bOverwriteReadOnly = false;
  IStream* m_pStream = nullptr;
  unsigned long long m_readLimit = 1ull << 30;
  std::vector<QelZipFailure> m_failed;
};
