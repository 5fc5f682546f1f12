// CMemFile: a CFile whose contents live in memory, for archives over bytes that are already
// loaded (an entry read from a zip, a fuzzer's input) or built for a caller.
//
// Contract: starts empty, or with a copy of the given bytes; reads, writes, seeks and SetLength
// behave as on a file (writing past the end grows it, a seek before the start throws
// CFileException(badSeek)). Detach() hands the contents over and leaves the file empty.
#pragma once

#include <vector>

#include "platform/cfile.h"

class CMemFile : public CFile {
 public:
  CMemFile() = default;
  CMemFile(const BYTE* data, UINT size) : data_(data, data + size) {}

  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override { return pos_; }
  ULONGLONG GetLength() const override { return data_.size(); }
  void SetLength(ULONGLONG newLength) override;
  void Close() override {}
  void Abort() override {}

  const std::vector<BYTE>& Data() const { return data_; }
  std::vector<BYTE> Detach();

 private:
  std::vector<BYTE> data_;
  std::size_t pos_ = 0;
};
