// Win32 file handles (CreateFileA and its companions) and file access lists, mapped onto Linux.
//
// Contract:
// - A HANDLE from CreateFileA stands for one open file descriptor; INVALID_HANDLE_VALUE means the
//   open failed (GetLastError() then gives the errno value). Close it with CloseHandle, or hand it
//   to qel::StreamFromHandle, which takes it over.
// - Share modes are real, as for CFile (share_lock.h): an open that lets others read but not
//   write (no FILE_SHARE_WRITE) takes a shared lock when it only reads and an exclusive one when
//   it writes or shares nothing; FILE_SHARE_WRITE takes none. A conflicting open fails at once.
// - Dispositions: CREATE_NEW fails on an existing file; CREATE_ALWAYS and TRUNCATE_EXISTING
//   truncate after the lock is held; OPEN_ALWAYS creates; OPEN_EXISTING never creates.
// - Access lists: Linux files have no DACL. A "null DACL" (everyone has full access) becomes
//   permissions under which any user may read and write the file (rw for owner, group and
//   others; execute bits kept). SetFileSecurityA with such a descriptor changes an existing
//   file's permissions; CreateFileA given one applies it to a file it creates. Any other
//   descriptor leaves permissions to the umask, as a Windows default descriptor would.
#pragma once

#include <cstdio>

#include "platform/win_types.h"

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD GENERIC_ALL = 0x10000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

// File attributes. A file is read-only when its owner may not write it (the owner's write
// permission bit is clear); setting FILE_ATTRIBUTE_READONLY clears every write bit, setting
// attributes without it gives the owner write permission back. Every other attribute is accepted
// and has no effect. Windows refuses to overwrite a read-only file even for an administrator, so
// callers that create files check the attribute rather than rely on the OS (which lets root write
// anything).
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr DWORD DACL_SECURITY_INFORMATION = 0x4;

// Only what this platform can express: whether an access list is present, and whether it is the
// null list that grants everyone everything.
struct SECURITY_DESCRIPTOR {
  BYTE Revision;
  BOOL DaclPresent;
  void* Dacl;  // always null here: no other list can be represented
};

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  void* lpSecurityDescriptor;  // a SECURITY_DESCRIPTOR* or null
  BOOL bInheritHandle;
};

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);
// Reads up to `count` bytes; *read (when given) receives how many arrived (0 at end of file).
BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void* overlapped);
BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size);
// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_ARCHIVE for anything else, plus
// FILE_ATTRIBUTE_READONLY; INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD GetFileAttributesA(const char* path);
BOOL SetFileAttributesA(const char* path, DWORD attributes);
// The errno value of the last failed call of this family on this thread.
DWORD GetLastError();

BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision);
// Only a present null list (dacl null) or no list can be set; anything else fails.
BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present, void* dacl,
                               BOOL defaulted);
BOOL SetFileSecurityA(const char* name, DWORD information, SECURITY_DESCRIPTOR* descriptor);

namespace qel {

// A C stream over the handle's file, opened with `mode` ("r", "rt", "rb"...; the text flag has
// no meaning here). The stream owns the file from then on (fclose closes it). On failure null is
// returned and the handle is left open for the caller.
std::FILE* StreamFromHandle(HANDLE handle, const char* mode);

// Gives `name` the permissions of a null access list (any user may read and write). True when
// done.
bool GrantEveryoneReadWrite(const char* name);

}  // namespace qel
