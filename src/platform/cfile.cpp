#include "platform/cfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "platform/share_lock.h"

int CFileException::OsErrorToException(int err) {
  switch (err) {
    case 0:
      return none;
    case ENOENT:
      return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return badPath;
    case EMFILE:
    case ENFILE:
      return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EEXIST:
      return accessDenied;
    case EBADF:
      return invalidFile;
    case EBUSY:
      return removeCurrentDir;
    case EINVAL:
    case ESPIPE:
    case EOVERFLOW:
      return badSeek;
    case EIO:
      return hardIO;
    case EWOULDBLOCK:
      return sharingViolation;
    case ENOLCK:
      return lockViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return diskFull;
    default:
      return genericException;
  }
}

CString CFileException::GetErrorMessage() const {
  static const char* const kText[] = {"no error",
                                      "an unspecified error occurred",
                                      "the file was not found",
                                      "the path is invalid",
                                      "too many files are open",
                                      "access is denied",
                                      "the file handle is invalid",
                                      "the current folder cannot be removed",
                                      "the folder is full",
                                      "the seek failed",
                                      "a hardware input/output error occurred",
                                      "the file is in use by another program",
                                      "the file region is locked",
                                      "the disk is full",
                                      "the end of the file was reached"};
  const char* what = (m_cause >= 0 && m_cause <= endOfFile) ? kText[m_cause] : kText[1];
  CString msg;
  if (m_strFileName.IsEmpty())
    msg = what;
  else
    msg.Format("%s: %s", m_strFileName.GetString(), what);
  return msg;
}

CFile::CFile() = default;

CFile::CFile(const char* fileName, UINT openFlags) {
  CFileException e;
  if (!Open(fileName, openFlags, &e)) throw e;
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
  Abort();
  std::string path = qel::NativePath(fileName);
  auto fail = [&](int err) {
    if (error) *error = CFileException(CFileException::OsErrorToException(err), err, path.c_str());
    return FALSE;
  };
  if (path.empty()) return fail(ENOENT);

  int flags = 0;
  switch (openFlags & 0x3) {
    case modeWrite:
      flags |= O_WRONLY;
      break;
    case modeReadWrite:
      flags |= O_RDWR;
      break;
    default:
      flags |= O_RDONLY;
  }
  if (openFlags & modeCreate) flags |= O_CREAT;

  qel::ShareLock lock = qel::ShareLock::kNone;
  switch (openFlags & 0x70) {
    case shareExclusive:
    case shareDenyRead:
      lock = qel::ShareLock::kExclusive;
      break;
    case shareDenyWrite:
      lock = qel::ShareLock::kShared;
      break;
    default:
      break;
  }
  int err = 0;
  const int fd = qel::OpenWithShareLock(path, flags, lock, &err);
  if (fd < 0) return fail(err);

  if ((openFlags & modeCreate) && !(openFlags & modeNoTruncate) && (openFlags & 0x3) != modeRead) {
    if (::ftruncate(fd, 0) < 0) {
      err = errno;
      ::close(fd);
      return fail(err);
    }
  }

  fd_ = fd;
  path_ = path;
  return TRUE;
}

void CFile::Fail(int err) const {
  throw CFileException(CFileException::OsErrorToException(err), err, path_);
}

UINT CFile::Read(void* buffer, UINT count) {
  if (fd_ < 0) Fail(EBADF);
  auto* p = static_cast<unsigned char*>(buffer);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* buffer, UINT count) {
  if (fd_ < 0) Fail(EBADF);
  const auto* p = static_cast<const unsigned char*>(buffer);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) Fail(ENOSPC);
    done += static_cast<UINT>(n);
  }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  if (fd_ < 0) Fail(EBADF);
  int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
  off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (r < 0) Fail(errno);
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetPosition() const {
  if (fd_ < 0) Fail(EBADF);
  off_t r = ::lseek(fd_, 0, SEEK_CUR);
  if (r < 0) Fail(errno);
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const {
  if (fd_ < 0) Fail(EBADF);
  struct stat st {};
  if (::fstat(fd_, &st) < 0) Fail(errno);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG newLength) {
  if (fd_ < 0) Fail(EBADF);
  if (::ftruncate(fd_, static_cast<off_t>(newLength)) < 0) Fail(errno);
}

void CFile::FlushToDisk() {
  if (fd_ < 0) Fail(EBADF);
  if (::fsync(fd_) < 0) Fail(errno);
}

void CFile::Close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) < 0 && errno != EINTR) Fail(errno);
}

void CFile::Abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

CString CFile::GetFileName() const {
  int slash = path_.ReverseFind('/');
  return slash < 0 ? path_ : path_.Mid(slash + 1);
}

BOOL CFile::GetStatus(const char* fileName, CFileStatus& status) {
  std::string path = qel::NativePath(fileName);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) < 0) return FALSE;
  status.m_ctime = CTime(st.st_ctime);
  status.m_mtime = CTime(st.st_mtime);
  status.m_atime = CTime(st.st_atime);
  status.m_size = static_cast<ULONGLONG>(st.st_size);
  status.m_attribute =
      static_cast<BYTE>((S_ISDIR(st.st_mode) ? 0x10 : 0) | ((st.st_mode & S_IWUSR) ? 0 : 0x01));
  std::strncpy(status.m_szFullName, path.c_str(), MAX_PATH - 1);
  status.m_szFullName[MAX_PATH - 1] = '\0';
  return TRUE;
}

void CFile::Remove(const char* fileName) {
  std::string path = qel::NativePath(fileName);
  if (::unlink(path.c_str()) < 0)
    throw CFileException(CFileException::OsErrorToException(errno), errno, path.c_str());
}

void CFile::Rename(const char* oldName, const char* newName) {
  std::string from = qel::NativePath(oldName);
  std::string to = qel::NativePath(newName);
  if (::rename(from.c_str(), to.c_str()) < 0)
    throw CFileException(CFileException::OsErrorToException(errno), errno, from.c_str());
}
