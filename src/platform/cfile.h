// CFile: binary file access with MFC's open flags, share modes and exceptions.
//
// Contract:
// - Paths may use '\' or '/'; the file system sees '/'.
// - Share modes are enforced between every two opens, in one process or in two: an open that
//   denies writers (shareDenyWrite) takes a shared lock, an exclusive open (shareExclusive or
//   shareDenyRead) an exclusive one; shareDenyNone/shareCompat take none. A conflicting open fails
//   at once with CFileException::sharingViolation and never waits. Locks belong to the open file
//   description (flock), so two opens of one file in one process exclude each other too, and the
//   lock is released when the file is closed. flock is used rather than fcntl record locks because
//   an exclusive lock must be possible on a descriptor opened only for reading.
// - modeCreate without modeNoTruncate truncates only after the lock is held, so a refused open
//   never destroys another holder's data.
// - Read returns fewer bytes only at end of file; I/O errors, a failed Write (disk full, file-size
//   limit: diskFull) and failed Seek/SetLength throw CFileException. The destructor closes quietly.
#pragma once

#include <memory>

#include "platform/cstring.h"
#include "platform/ctime.h"
#include "platform/win_types.h"

class CFileException {
 public:
  enum {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };

  explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

  // The cause that an errno value stands for.
  static int OsErrorToException(int err);
  // A readable description: "<file>: <what went wrong>".
  CString GetErrorMessage() const;

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

struct CFileStatus {
  CTime m_ctime;
  CTime m_mtime;
  CTime m_atime;
  ULONGLONG m_size = 0;
  BYTE m_attribute = 0;  // 0x10 for a folder, 0x01 for read-only
  char m_szFullName[MAX_PATH] = {};
};

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  CFile();
  // Opens or throws CFileException.
  CFile(const char* fileName, UINT openFlags);
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // FALSE on failure, with the cause stored in *error when given.
  virtual BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG newLength);
  // Nothing is buffered here; Flush is kept for interface compatibility. FlushToDisk forces the
  // data to the storage device (fsync), as a safe save needs before a rename.
  virtual void Flush() {}
  void FlushToDisk();
  virtual void Close();  // throws when closing reports an error
  virtual void Abort();  // closes, never throws

  bool IsOpen() const { return fd_ >= 0; }
  CString GetFilePath() const { return path_; }
  CString GetFileName() const;

  static BOOL GetStatus(const char* fileName, CFileStatus& status);
  static void Remove(const char* fileName);                      // throws
  static void Rename(const char* oldName, const char* newName);  // throws

 private:
  [[noreturn]] void Fail(int err) const;
  int fd_ = -1;
  CString path_;
};
