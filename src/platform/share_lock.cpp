#include "platform/share_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qel {

int OpenWithShareLock(const std::string& nativePath, int flags, ShareLock lock, int* err) {
  auto fail = [&](int e) {
    if (err) *err = e;
    return -1;
  };
  if (nativePath.empty()) return fail(ENOENT);
  int fd;
  do {
    fd = ::open(nativePath.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return fail(errno);

  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail(EISDIR);
  }
  if (lock != ShareLock::kNone) {
    const int op = (lock == ShareLock::kExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int rc;
    do {
      rc = ::flock(fd, op);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
      const int e = errno;
      ::close(fd);
      return fail(e);
    }
  }
  return fd;
}

}  // namespace qel
