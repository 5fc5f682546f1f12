// CFileHelper: the library's file utilities -- creating and copying files with an open access
// list when the file-security mode is on, modification-time tests, and the manuals folder.
//
// Constructing a CFileHelper reads the process-wide file-security mode from the settings file
// while it is unread (mdf/file_security.h). On Linux an open access list ("null DACL") means
// permissions under which any user may read and write the file (platform/win_file.h). Nothing
// here shows a message; every function reports by its result.
#pragma once

#include "platform/cstring.h"
#include "platform/win_file.h"
#include "platform/win_types.h"

class CFileHelper {
 public:
  CFileHelper();
  virtual ~CFileHelper();

  // Security off: CreateFileA with the arguments given. On: `sa` is ignored and the file is
  // opened with a null access list (applied when this call creates it); INVALID_HANDLE_VALUE when
  // the descriptor cannot be built.
  HANDLE CreateFileNoSecurity(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                              DWORD disposition, DWORD flags, HANDLE templateFile);
  // Opens `name` with all access, no sharing, normal attributes and closes it again: whether it
  // opened.
  BOOL CreateFileNew(const CString& name, UINT disposition);
  // CopyFileA; with security on the copy then gets a null access list (a target name shorter than
  // 4 characters, or a failure there, gives 0).
  BOOL CopyFileNew(const CString& from, const CString& to, BOOL failIfExists);
  // Security off: 1, nothing done. On: gives `name` a null access list; 0 for names shorter than
  // 4 characters or when that fails.
  BOOL RemoveFileSecurity(const CString& name);
  // Modification time in seconds since 1970, truncated to 32 bits; -1 when unreadable.
  long GetFileTime(const CString& name);
  // True when the modification time differs from `time` by anything but 0 or exactly 3600
  // seconds either way (a daylight-saving shift is no change).
  bool DateChanged(const CString& name, long time);
  // Settings "Directories"/"manuals" when set; else "program" with its trailing separators and
  // its last component removed, plus "Manuals". Empty when neither is set.
  CString GetManualsPath();
  // Opens manuals path + "\" + name with the desktop's "open" verb (platform/shell.h). Always 1.
  int DisplayManual(const CString& name);
};

HANDLE CreateFileNoSecurity(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                            DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL CreateFileNew(const char* name, UINT disposition);
BOOL CopyFileNew(const char* from, const char* to, UINT failIfExists);
BOOL RemoveFileSecurity(const char* name);
// Writes the manuals path into `out` (MAX_PATH bytes; cut to fit) and returns 1; 0 when it is
// empty.
int GetManualsPath(char* out);

// Reads the whole file into a malloc'd buffer (none for an empty file; *buffer is then null) and
// returns its length; the caller frees it. 0xFFFFFFFF when the file cannot be opened or read or
// is 4 GiB or larger.
DWORD ReadFileToBuffer(const char* name, void** buffer);
