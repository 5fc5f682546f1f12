#include "tables/file_helper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "mdf/file_security.h"
#include "mdf/settings.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace {

bool SecurityOn() { return qel::CurrentFileSecurityMode() == qel::kFileSecurityOn; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

CFileHelper::CFileHelper() { qel::LoadFileSecurityMode(); }

CFileHelper::~CFileHelper() = default;

HANDLE CFileHelper::CreateFileNoSecurity(const char* name, DWORD access, DWORD share,
                                         SECURITY_ATTRIBUTES* sa, DWORD disposition, DWORD flags,
                                         HANDLE templateFile) {
  if (!SecurityOn()) return CreateFileA(name, access, share, sa, disposition, flags, templateFile);
  SECURITY_DESCRIPTOR sd;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE))
    return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES open{sizeof(SECURITY_ATTRIBUTES), &sd, FALSE};
  return CreateFileA(name, access, share, &open, disposition, flags, templateFile);
}

BOOL CFileHelper::CreateFileNew(const CString& name, UINT disposition) {
  HANDLE h = CreateFileNoSecurity(name, GENERIC_ALL, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(h);
  return TRUE;
}

BOOL CFileHelper::CopyFileNew(const CString& from, const CString& to, BOOL failIfExists) {
  if (!CopyFileA(from, to, failIfExists)) return FALSE;
  if (!SecurityOn()) return TRUE;
  return to.GetLength() >= 4 && qel::ApplyFileSecurity(to) ? TRUE : FALSE;
}

BOOL CFileHelper::RemoveFileSecurity(const CString& name) {
  if (!SecurityOn()) return TRUE;
  return name.GetLength() >= 4 && qel::ApplyFileSecurity(name) ? TRUE : FALSE;
}

long CFileHelper::GetFileTime(const CString& name) {
  CFileStatus status;
  if (!CFile::GetStatus(name, status)) return -1;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(status.m_mtime.GetTime()));
}

bool CFileHelper::DateChanged(const CString& name, long time) {
  const long diff = GetFileTime(name) - time;
  return diff != 0 && diff != 3600 && diff != -3600;
}

CString CFileHelper::GetManualsPath() {
  CString manuals = QelGetProfileString("Directories", "manuals", "");
  if (!manuals.IsEmpty()) return manuals;
  CString program = QelGetProfileString("Directories", "program", "");
  if (program.IsEmpty()) return program;
  int end = program.GetLength();
  while (end > 0 && IsSeparator(program[end - 1])) --end;
  int cut = end;
  while (cut > 0 && !IsSeparator(program[cut - 1])) --cut;
  return program.Left(cut) + "Manuals";
}

int CFileHelper::DisplayManual(const CString& name) {
  const CString path = GetManualsPath() + "\\" + name;
  ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
  return 1;
}

HANDLE CreateFileNoSecurity(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
  CFileHelper helper;
  return helper.CreateFileNoSecurity(name, access, share, sa, disposition, flags, templateFile);
}

BOOL CreateFileNew(const char* name, UINT disposition) {
  CFileHelper helper;
  return helper.CreateFileNew(CString(name), disposition);
}

BOOL CopyFileNew(const char* from, const char* to, UINT failIfExists) {
  CFileHelper helper;
  return helper.CopyFileNew(CString(from), CString(to), failIfExists ? TRUE : FALSE);
}

BOOL RemoveFileSecurity(const char* name) {
  CFileHelper helper;
  return helper.RemoveFileSecurity(CString(name));
}

int GetManualsPath(char* out) {
  if (!out) return 0;
  CFileHelper helper;
  const CString path = helper.GetManualsPath();
  if (path.IsEmpty()) return 0;
  std::snprintf(out, MAX_PATH, "%s", path.GetString());
  return 1;
}

DWORD ReadFileToBuffer(const char* name, void** buffer) {
  constexpr DWORD kFailed = 0xFFFFFFFFu;
  if (!buffer) return kFailed;
  *buffer = nullptr;
  CFile file;
  if (!file.Open(name, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return kFailed;
  try {
    const ULONGLONG length = file.GetLength();
    if (length >= kFailed) return kFailed;
    if (length == 0) return 0;
    std::unique_ptr<void, decltype(&std::free)> data(std::malloc(static_cast<std::size_t>(length)),
                                                     &std::free);
    if (!data) return kFailed;
    if (file.Read(data.get(), static_cast<UINT>(length)) != length) return kFailed;
    *buffer = data.release();
    return static_cast<DWORD>(length);
  } catch (const CFileException&) {
    return kFailed;
  }
}
