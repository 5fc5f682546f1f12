// The database name a command works on: the model's base path. A path naming the master data file
// itself ("tower.qel", any case) is taken as the model it belongs to.
#pragma once

#include <cctype>
#include <string>

namespace qeldb {

inline std::string ModelBase(const std::string& arg) {
  constexpr std::size_t kExt = 4;  // ".qel"
  if (arg.size() <= kExt) return arg;
  const char* ext = ".qel";
  for (std::size_t i = 0; i < kExt; ++i)
    if (std::tolower(static_cast<unsigned char>(arg[arg.size() - kExt + i])) != ext[i]) return arg;
  return arg.substr(0, arg.size() - kExt);
}

}  // namespace qeldb
