// CArchive: MFC-style binary serialisation over a CFile, with a 4096-byte buffer.
//
// Contract:
// - An archive is either loading (reads) or storing (writes), fixed at construction. Writing to a
//   loading archive throws CArchiveException(readOnly); reading from a storing one throws
//   CArchiveException(writeOnly).
// - Values are stored little-endian without padding, exactly as many bytes as their type.
//   operator>> on a value that the file does not hold completely throws
//   CArchiveException(endOfFile); Read() instead returns how many bytes it could read.
// - Strings use MFC's counted form: a length below 255 as one byte; otherwise 0xFF and a 16-bit
//   length below 0xFFFE; otherwise 0xFF, 0xFFFF and a 32-bit length below 0xFFFFFFFF; otherwise
//   0xFF, 0xFFFF, 0xFFFFFFFF and a 64-bit length; then the characters without terminator. The
//   reader also accepts the wide form (0xFF, 0xFFFE, then the same length prefix counting 16-bit
//   characters); a wide character above 0xFF becomes '?', since our strings are single-byte.
// - A declared string length larger than the bytes left in the file throws endOfFile before
//   anything is allocated, so a corrupt prefix never asks for gigabytes.
// - A storing archive keeps up to the buffer size in memory: call Flush() or Close() to hand the
//   bytes to the file. Close() can throw (the file's write errors pass through); the destructor
//   flushes what is left as well but swallows errors, so callers that care call Close().
// - The archive never owns or closes its CFile.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/cfile.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

class CArchiveException {
 public:
  enum {
    none = 0,
    genericException = 1,
    readOnly = 2,
    endOfFile = 3,
    writeOnly = 4,
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
    bufferFull = 8,
  };
  explicit CArchiveException(int cause = none, const char* fileName = nullptr)
      : m_cause(cause), m_strFileName(fileName) {}
  // A readable description: "<file>: <what went wrong>".
  CString GetErrorMessage() const;

  int m_cause;
  CString m_strFileName;
};

class CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

  // bufSize below 128 is raised to 128 as MFC does; the buffer is always our own.
  CArchive(CFile* file, UINT mode, int bufSize = 4096, void* buf = nullptr);
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (mode_ & load) != 0; }
  BOOL IsStoring() const { return (mode_ & load) == 0; }
  CFile* GetFile() const { return file_; }

  // Raw bytes. Read returns fewer than count only at end of file.
  UINT Read(void* buffer, UINT count);
  void Write(const void* buffer, UINT count);
  // Storing: writes the buffer to the file. Loading: nothing to do.
  void Flush();
  // Flushes (storing) and detaches from the file; afterwards the archive cannot be used.
  void Close();
  // Detaches without writing what is buffered.
  void Abort();

  // Loading: the bytes that can still be read (buffered plus the rest of the file). Used to
  // reject counts and lengths that the file cannot possibly hold.
  ULONGLONG GetBytesLeft() const;

  // Fixed-width values.
  CArchive& operator<<(BYTE v) { return Put(v); }
  CArchive& operator<<(char v) { return Put(v); }
  CArchive& operator<<(bool v) { return Put(static_cast<BYTE>(v ? 1 : 0)); }
  CArchive& operator<<(WORD v) { return Put(v); }
  CArchive& operator<<(short v) { return Put(v); }
  CArchive& operator<<(int v) { return Put(v); }
  CArchive& operator<<(unsigned int v) { return Put(v); }
  CArchive& operator<<(LONGLONG v) { return Put(v); }
  CArchive& operator<<(ULONGLONG v) { return Put(v); }
  CArchive& operator<<(float v) { return Put(v); }
  CArchive& operator<<(double v) { return Put(v); }
  CArchive& operator<<(const CString& s);

  CArchive& operator>>(BYTE& v) { return Get(v); }
  CArchive& operator>>(char& v) { return Get(v); }
  CArchive& operator>>(bool& v);
  CArchive& operator>>(WORD& v) { return Get(v); }
  CArchive& operator>>(short& v) { return Get(v); }
  CArchive& operator>>(int& v) { return Get(v); }
  CArchive& operator>>(unsigned int& v) { return Get(v); }
  CArchive& operator>>(LONGLONG& v) { return Get(v); }
  CArchive& operator>>(ULONGLONG& v) { return Get(v); }
  CArchive& operator>>(float& v) { return Get(v); }
  CArchive& operator>>(double& v) { return Get(v); }
  CArchive& operator>>(CString& s);

  // The string length prefix alone (as MFC's helpers of the same purpose). ReadStringLength
  // reports in *wide whether the characters that follow are 16-bit.
  void WriteStringLength(ULONGLONG length);
  ULONGLONG ReadStringLength(bool* wide);

 private:
  template <class T>
  CArchive& Put(T v) {
    Write(&v, sizeof v);
    return *this;
  }
  template <class T>
  CArchive& Get(T& v) {
    ReadExact(&v, sizeof v);
    return *this;
  }
  // Reads exactly count bytes or throws endOfFile.
  void ReadExact(void* buffer, std::size_t count);
  [[noreturn]] void Throw(int cause) const;
  void CheckUsable() const;

  CFile* file_;
  UINT mode_;
  std::vector<unsigned char> buf_;
  std::size_t cur_ = 0;  // next byte to read or write
  std::size_t end_ = 0;  // loading: bytes valid in the buffer
};
