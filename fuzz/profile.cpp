// Feeds arbitrary bytes to the profile reader and writer as a settings file. The first bytes pick
// the section and key asked for, so lookups hit names that occur in the input.
#include "platform/profile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/qeldb-fuzz-profile-" + std::to_string(::getpid()) + ".ini";
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string section = bytes.substr(0, std::min<std::size_t>(size, 4));
  std::string key = size > 4 ? bytes.substr(4, std::min<std::size_t>(size - 4, 3)) : "k";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  qel::ClearProfileCache();
  char buf[64];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", buf, sizeof buf, path.c_str());
  GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, path.c_str());
  GetPrivateProfileStringA(section.c_str(), nullptr, "", buf, sizeof buf, path.c_str());
  GetPrivateProfileIntA(section.c_str(), key.c_str(), 3, path.c_str());
  WritePrivateProfileStringA(section.c_str(), key.c_str(), "v", path.c_str());
  // The written value must read back unless the write was refused.
  if (WritePrivateProfileStringA(section.c_str(), key.c_str(), "zz", path.c_str())) {
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", buf, sizeof buf, path.c_str());
    if (std::string(buf) != "zz") __builtin_trap();
  }
  // Inside a read session: the buffer-free reader gives what the buffer reader does, and a write
  // made in the session reads back in it.
  {
    qel::ProfileReadSession session;
    std::string value;
    DWORD n =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", buf, sizeof buf, path.c_str());
    DWORD m =
        qel::GetProfileValue(section.c_str(), key.c_str(), "d", sizeof buf, path.c_str(), value);
    if (n != m || value != std::string(buf, n)) __builtin_trap();
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), "s", path.c_str())) {
      qel::GetProfileValue(section.c_str(), key.c_str(), "d", sizeof buf, path.c_str(), value);
      if (value != "s") __builtin_trap();
    }
  }
  WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path.c_str());
  WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path.c_str());
  return 0;
}
