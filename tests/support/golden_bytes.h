// Golden byte images for tests, little-endian as every on-disk form of the library: Put* patches
// a field into an image at its documented offset, Bytes appends fields in documented order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qeltest {

inline void PutLe(std::vector<unsigned char>& b, std::size_t off, std::uint64_t v, int n) {
  if (b.size() < off + n) b.resize(off + n);
  for (int i = 0; i < n; ++i) b[off + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
inline void PutU16(std::vector<unsigned char>& b, std::size_t off, unsigned v) {
  PutLe(b, off, v, 2);
}
inline void PutU32(std::vector<unsigned char>& b, std::size_t off, std::uint32_t v) {
  PutLe(b, off, v, 4);
}
inline void PutI32(std::vector<unsigned char>& b, std::size_t off, std::int32_t v) {
  PutLe(b, off, static_cast<std::uint32_t>(v), 4);
}
inline void PutF32(std::vector<unsigned char>& b, std::size_t off, float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, 4);
  PutLe(b, off, u, 4);
}
inline void PutF64(std::vector<unsigned char>& b, std::size_t off, double v) {
  std::uint64_t u;
  std::memcpy(&u, &v, 8);
  PutLe(b, off, u, 8);
}

class Bytes {
 public:
  Bytes& U8(unsigned v) { return Le(v, 1); }
  Bytes& U16(unsigned v) { return Le(v, 2); }
  Bytes& U32(std::uint32_t v) { return Le(v, 4); }
  Bytes& I32(std::int32_t v) { return Le(static_cast<std::uint32_t>(v), 4); }
  Bytes& U64(std::uint64_t v) { return Le(v, 8); }
  Bytes& F64(double v) {
    PutF64(b_, b_.size(), v);
    return *this;
  }
  Bytes& Raw(const std::string& s) {
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  const std::vector<unsigned char>& bytes() const { return b_; }
  std::size_t size() const { return b_.size(); }

 private:
  Bytes& Le(std::uint64_t v, int n) {
    PutLe(b_, b_.size(), v, n);
    return *this;
  }
  std::vector<unsigned char> b_;
};

}  // namespace qeltest
