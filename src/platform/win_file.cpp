#include "platform/win_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/paths.h"
#include "platform/share_lock.h"

namespace {

thread_local DWORD t_lastError = 0;

// A handle carries its descriptor plus one, so that descriptor 0 is never the null handle and
// no descriptor is INVALID_HANDLE_VALUE.
HANDLE ToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }

int ToFd(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return -1;
  const auto v = reinterpret_cast<std::intptr_t>(h) - 1;
  return v >= 0 && v <= INT32_MAX ? static_cast<int>(v) : -1;
}

BOOL Fail(int err) {
  t_lastError = static_cast<DWORD>(err);
  return FALSE;
}

constexpr mode_t kEveryoneReadWrite = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

bool IsNullDacl(const SECURITY_ATTRIBUTES* sa) {
  if (!sa || !sa->lpSecurityDescriptor) return false;
  const auto* sd = static_cast<const SECURITY_DESCRIPTOR*>(sa->lpSecurityDescriptor);
  return sd->DaclPresent && sd->Dacl == nullptr;
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                   DWORD disposition, DWORD /*flags*/, HANDLE /*templateFile*/) {
  const std::string path = qel::NativePath(name);
  const bool reads = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  int flags = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      break;
    default:
      Fail(EINVAL);
      return INVALID_HANDLE_VALUE;
  }
  qel::ShareLock lock = qel::ShareLock::kNone;
  if (!(share & FILE_SHARE_WRITE))
    lock = (writes || !(share & FILE_SHARE_READ)) ? qel::ShareLock::kExclusive
                                                  : qel::ShareLock::kShared;

  // Whether this call creates the file decides whether an access list applies to it.
  const bool existed = ::access(path.c_str(), F_OK) == 0;
  int err = 0;
  const int fd = qel::OpenWithShareLock(path, flags, lock, &err);
  if (fd < 0) {
    Fail(err);
    return INVALID_HANDLE_VALUE;
  }
  const bool truncate = disposition == TRUNCATE_EXISTING || disposition == CREATE_ALWAYS;
  if ((truncate && writes && ::ftruncate(fd, 0) < 0) ||
      (!existed && IsNullDacl(sa) && ::fchmod(fd, kEveryoneReadWrite) < 0)) {
    err = errno;
    ::close(fd);
    Fail(err);
    return INVALID_HANDLE_VALUE;
  }
  t_lastError = 0;
  return ToHandle(fd);
}

BOOL CloseHandle(HANDLE handle) {
  const int fd = ToFd(handle);
  if (fd < 0) return Fail(EBADF);
  return ::close(fd) == 0 || errno == EINTR ? TRUE : Fail(errno);
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* /*overlapped*/) {
  if (read) *read = 0;
  const int fd = ToFd(handle);
  if (fd < 0) return Fail(EBADF);
  auto* p = static_cast<unsigned char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read) *read = done;
      return Fail(errno);
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written,
               void* /*overlapped*/) {
  if (written) *written = 0;
  const int fd = ToFd(handle);
  if (fd < 0) return Fail(EBADF);
  const auto* p = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written) *written = done;
      return Fail(errno);
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return done == count ? TRUE : Fail(ENOSPC);
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  const int fd = ToFd(handle);
  struct stat st {};
  if (fd < 0 || !size) return Fail(EBADF);
  if (::fstat(fd, &st) < 0) return Fail(errno);
  size->QuadPart = static_cast<LONGLONG>(st.st_size);
  return TRUE;
}

DWORD GetLastError() { return t_lastError; }

BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision) {
  if (!descriptor || revision != SECURITY_DESCRIPTOR_REVISION) return Fail(EINVAL);
  *descriptor = SECURITY_DESCRIPTOR{static_cast<BYTE>(revision), FALSE, nullptr};
  return TRUE;
}

BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present, void* dacl,
                               BOOL /*defaulted*/) {
  if (!descriptor || descriptor->Revision != SECURITY_DESCRIPTOR_REVISION || dacl != nullptr)
    return Fail(EINVAL);
  descriptor->DaclPresent = present;
  descriptor->Dacl = nullptr;
  return TRUE;
}

BOOL SetFileSecurityA(const char* name, DWORD information, SECURITY_DESCRIPTOR* descriptor) {
  if (!name || !descriptor || !(information & DACL_SECURITY_INFORMATION)) return Fail(EINVAL);
  if (!descriptor->DaclPresent) return TRUE;  // no list given: nothing to change
  return qel::GrantEveryoneReadWrite(name) ? TRUE : Fail(errno);
}

namespace qel {

std::FILE* StreamFromHandle(HANDLE handle, const char* mode) {
  const int fd = ToFd(handle);
  if (fd < 0 || !mode) return nullptr;
  // The C library on Windows knows a text flag; here every stream is bytes.
  std::string m;
  for (const char* c = mode; *c; ++c)
    if (*c != 't') m += *c;
  return ::fdopen(fd, m.c_str());
}

bool GrantEveryoneReadWrite(const char* name) {
  const std::string path = NativePath(name);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) < 0) return false;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | kEveryoneReadWrite) == 0;
}

}  // namespace qel

DWORD GetFileAttributesA(const char* path) {
  struct stat st {};
  if (!path || ::stat(qel::NativePath(path).c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL SetFileAttributesA(const char* path, DWORD attributes) {
  struct stat st {};
  const std::string p = qel::NativePath(path);
  if (!path || ::stat(p.c_str(), &st) != 0) return FALSE;
  mode_t mode = st.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  return mode == (st.st_mode & 07777) || ::chmod(p.c_str(), mode) == 0;
}
