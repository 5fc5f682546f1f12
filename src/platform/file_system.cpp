#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>

#include "platform/paths.h"

namespace {

void SetErr(int* err, int value) {
  if (err) *err = value;
}

bool WriteAll(int fd, const unsigned char* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

}  // namespace

namespace qel {

bool RenameReplacing(const std::string& from, const std::string& to, int* err) {
  if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) return true;
  SetErr(err, errno);
  return false;
}

bool StatFile(const std::string& path, FileIdentity& out) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return false;
  out.size = static_cast<std::uint64_t>(st.st_size);
  out.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  out.inode = st.st_ino;
  out.device = st.st_dev;
  return true;
}

std::int64_t NowNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& out, int* err,
                   std::uint64_t maxBytes) {
  out.clear();
  int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetErr(err, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    SetErr(err, S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    SetErr(err, EFBIG);
    ::close(fd);
    return false;
  }
  out.reserve(static_cast<std::size_t>(st.st_size));
  unsigned char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetErr(err, errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::size_t>(n) > maxBytes) {
      SetErr(err, EFBIG);
      ::close(fd);
      return false;
    }
    out.insert(out.end(), buf, buf + n);
  }
  ::close(fd);
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, std::size_t size, int* err) {
  std::string target = NativePath(path);
  std::random_device rd;
  std::string tmp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(rd());
  mode_t mode = 0666;
  struct stat st {};
  bool hadOld = ::stat(target.c_str(), &st) == 0;
  if (hadOld) mode = st.st_mode & 07777;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetErr(err, errno);
    return false;
  }
  bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size) && ::fsync(fd) == 0 &&
            (!hadOld || ::fchmod(fd, mode) == 0);
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    SetErr(err, saved);
    return false;
  }
  // Make the rename itself durable.
  std::string dir = target.substr(
      0, target.find_last_of('/') == std::string::npos ? 0 : target.find_last_of('/'));
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int WriteAccessError(const std::string& path) {
  const std::string p = NativePath(path);
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return errno;
  // Creating a file in a folder needs the right to search it as well as to write it.
  const int mode = S_ISDIR(st.st_mode) ? W_OK | X_OK : W_OK;
  return ::access(p.c_str(), mode) == 0 ? 0 : errno;
}

std::string ErrorText(int err) { return std::strerror(err); }

bool CreateDirectories(const std::string& path) {
  std::string p = NativePath(path);
  if (p.empty()) return false;
  // Walk the path from the root, creating each missing component; a component that appears
  // meanwhile (another process) is fine.
  for (std::size_t pos = p.find('/', 1);; pos = p.find('/', pos + 1)) {
    std::string part = p.substr(0, pos);
    if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
      return false;
    if (pos == std::string::npos) break;
  }
  return IsDirectory(p);
}

}  // namespace qel

BOOL DeleteFileA(const char* path) { return ::unlink(qel::NativePath(path).c_str()) == 0; }

BOOL CopyFileA(const char* existing, const char* newFile, BOOL failIfExists) {
  std::string dst = qel::NativePath(newFile);
  if (failIfExists && PathFileExistsA(dst.c_str())) return FALSE;
  std::vector<unsigned char> bytes;
  if (!qel::ReadWholeFile(qel::NativePath(existing), bytes)) return FALSE;
  return qel::ReplaceFileAtomically(dst, bytes.data(), bytes.size());
}

BOOL MoveFileA(const char* existing, const char* newFile) {
  std::string dst = qel::NativePath(newFile);
  if (PathFileExistsA(dst.c_str())) return FALSE;
  return ::rename(qel::NativePath(existing).c_str(), dst.c_str()) == 0;
}
