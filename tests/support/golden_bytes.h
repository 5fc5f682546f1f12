// Golden byte images for tests, little-endian as every on-disk form of the library: Put* patches
// a field into an image at its documented offset, Get* reads one back, Bytes appends fields in
// documented order; ImageOf and Filled give a record's raw bytes and a record of one byte.
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

inline std::uint64_t GetLe(const std::vector<unsigned char>& b, std::size_t off, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(off + i);
  return v;
}
inline std::uint32_t GetU32(const std::vector<unsigned char>& b, std::size_t off) {
  return static_cast<std::uint32_t>(GetLe(b, off, 4));
}
inline float GetF32(const std::vector<unsigned char>& b, std::size_t off) {
  const std::uint32_t u = GetU32(b, off);
  float v;
  std::memcpy(&v, &u, 4);
  return v;
}
inline double GetF64(const std::vector<unsigned char>& b, std::size_t off) {
  const std::uint64_t u = GetLe(b, off, 8);
  double v;
  std::memcpy(&v, &u, 8);
  return v;
}

// `count` records of `size` bytes; byte j of record i is ((firstRecord + i) * step + j) & 0xFF, so
// every position within a record, and neighbouring records, are distinguishable.
inline std::vector<unsigned char> Pattern(int count, int size, int firstRecord = 0, int step = 16) {
  std::vector<unsigned char> b(static_cast<std::size_t>(count) * size);
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < size; ++j) b[i * size + j] = ((firstRecord + i) * step + j) & 0xFF;
  return b;
}

// Whether the `n` bytes at `p` are all zero.
inline bool AllZero(const void* p, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i)
    if (b[i] != 0) return false;
  return true;
}

// The raw bytes of `n` plain records starting at `r`, as they lie in memory.
template <typename T>
std::vector<unsigned char> ImageOf(const T& r, std::size_t n = 1) {
  const auto* p = reinterpret_cast<const unsigned char*>(&r);
  return std::vector<unsigned char>(p, p + sizeof(T) * n);
}
// A record whose every byte is `value`.
template <typename T>
T Filled(unsigned char value) {
  T r;
  std::memset(&r, value, sizeof r);
  return r;
}
// The characters of `s` (no terminator) at `off`.
inline void PutText(std::vector<unsigned char>& b, std::size_t off, const std::string& s) {
  if (b.size() < off + s.size()) b.resize(off + s.size());
  std::memcpy(b.data() + off, s.data(), s.size());
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
