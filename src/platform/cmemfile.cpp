#include "platform/cmemfile.h"

#include <algorithm>
#include <cstring>
#include <utility>

UINT CMemFile::Read(void* buffer, UINT count) {
  if (pos_ >= data_.size()) return 0;
  std::size_t n = std::min<std::size_t>(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
  LONGLONG base = from == begin     ? 0
                  : from == current ? static_cast<LONGLONG>(pos_)
                                    : static_cast<LONGLONG>(data_.size());
  LONGLONG target = base + offset;
  if (target < 0) throw CFileException(CFileException::badSeek);
  pos_ = static_cast<std::size_t>(target);
  return pos_;
}

void CMemFile::SetLength(ULONGLONG newLength) {
  data_.resize(static_cast<std::size_t>(newLength));
  pos_ = std::min<std::size_t>(pos_, data_.size());
}

std::vector<BYTE> CMemFile::Detach() {
  pos_ = 0;
  return std::exchange(data_, {});
}
