// CFileFind: the entries of one folder whose names match a wildcard mask, MFC-style.
//
// Contract:
// - FindFile("folder/mask") (either separator; no folder means the current one; null means "*.*")
//   reads the folder once and returns whether any entry matched. Each FindNextFile then moves to
//   the next entry and returns whether another one follows, so the usual loop
//       BOOL more = find.FindFile(p); while (more) { more = find.FindNextFile(); ... }
//   visits every entry. The order is the file system's; callers that need an order sort.
// - Names match the mask as qel::WildcardMatch says; "*.*" and "*" match every name. "." and ".."
//   are listed like any entry (IsDots tells them apart).
// - Symbolic links are followed: an entry describes what its link points to. A link that leads
//   nowhere is described by the link itself (a file of the link's length).
#pragma once

#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/win_types.h"

class CFileFind {
 public:
  CFileFind() = default;
  ~CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  BOOL FindFile(const char* name = nullptr, DWORD unused = 0);
  BOOL FindNextFile();
  void Close();

  // The current entry (valid after a FindNextFile).
  CString GetFileName() const;
  // The folder as given (with '/' after it when it was given) followed by the name.
  CString GetFilePath() const;
  ULONGLONG GetLength() const;
  BOOL IsDirectory() const;
  BOOL IsDots() const;
  BOOL IsReadOnly() const;
  BOOL GetLastWriteTime(FILETIME& time) const;

 private:
  struct Entry {
    std::string name;
    ULONGLONG size = 0;
    bool directory = false;
    bool readOnly = false;
    FILETIME writeTime{};
  };
  std::string folder_;  // "" or ending in '/'
  std::vector<Entry> entries_;
  std::size_t next_ = 0;  // index of the entry the next FindNextFile moves to
  const Entry* current_ = nullptr;
};
