// File-system operations beyond CFile: identity of a file for caches, whole-file reads, safe
// replacement of a file, copies and deletes. Paths accept '\' and '/'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace qel {

// What identifies one version of a file's contents cheaply.
struct FileIdentity {
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;  // modification time, nanoseconds since the epoch
  std::uint64_t inode = 0;
  std::uint64_t device = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// False when the file cannot be stat'ed.
bool StatFile(const std::string& path, FileIdentity& out);
// Nanoseconds since the epoch, from the real-time clock.
std::int64_t NowNs();

// Reads the whole file into `out`; false (errno-style code in *err) when it cannot. Refuses files
// larger than `maxBytes`.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& out, int* err = nullptr,
                   std::uint64_t maxBytes = UINT64_MAX);

// Writes `data` to a temporary file beside `path`, forces it to disk and renames it over `path`,
// so readers see either the old or the new contents, never a mixture, and a failure (disk full,
// file-size limit) leaves the old file as it was. The new file keeps the old one's permissions.
bool ReplaceFileAtomically(const std::string& path, const void* data, std::size_t size,
                           int* err = nullptr);

// Renames `from` to `to` in one step, replacing an existing `to` (both in the same file system):
// readers of `to` see the old file or the new one, never none. False (errno-style code in *err)
// when it cannot.
bool RenameReplacing(const std::string& from, const std::string& to, int* err = nullptr);

// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

// Why this process may not write `path` -- an existing file, or a folder to create files in --
// as far as permissions tell (checked with the process's real identity, as access(2) does): 0
// when it may; otherwise an errno-style code: ENOENT or ENOTDIR when there is no such file or
// folder, EACCES or EROFS when permission is lacking.
int WriteAccessError(const std::string& path);

// The C library's description of an errno-style code, e.g. "Permission denied".
std::string ErrorText(int err);

// Creates `path` and every missing parent folder. True when the folder exists afterwards.
bool CreateDirectories(const std::string& path);

}  // namespace qel

BOOL DeleteFileA(const char* path);

BOOL CopyFileA(const char* existing, const char* newFile, BOOL failIfExists);
BOOL MoveFileA(const char* existing, const char* newFile);
