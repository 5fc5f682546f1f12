// Builds golden byte images in tests by appending little-endian fields in documented order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qeltest {

class Bytes {
 public:
  Bytes& U8(unsigned v) {
    b_.push_back(static_cast<unsigned char>(v & 0xFF));
    return *this;
  }
  Bytes& U16(unsigned v) { return Le(v, 2); }
  Bytes& U32(std::uint32_t v) { return Le(v, 4); }
  Bytes& I32(std::int32_t v) { return Le(static_cast<std::uint32_t>(v), 4); }
  Bytes& U64(std::uint64_t v) { return Le(v, 8); }
  Bytes& F64(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    return Le(u, 8);
  }
  Bytes& Raw(const std::string& s) {
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  const std::vector<unsigned char>& bytes() const { return b_; }
  std::size_t size() const { return b_.size(); }

 private:
  Bytes& Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b_.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
    return *this;
  }
  std::vector<unsigned char> b_;
};

}  // namespace qeltest
