// CQelUnzip on arbitrary bytes, read through a memory stream: listed, every entry read into
// memory and the whole archive extracted into a scratch folder. Nothing may crash, hang or
// allocate without bound, and nothing may land outside the destination folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "archive/qel_unzip.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Scratch() {
  static const fs::path dir = [] {
    fs::path p =
        fs::temp_directory_path() / ("qeldb-fuzz-unzip-" + std::to_string(std::random_device{}()));
    fs::create_directories(p);
    return p;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
  if (!stream) return 0;
  CQelUnzip unzip;
  unzip.SetReadLimit(64u << 20);
  if (unzip.Open(stream)) {
    std::string comment;
    unzip.GetGlobalComment(comment);
    unzip.IsDamaged();
    std::vector<unsigned char> bytes;
    for (const auto& [name, entry] : unzip.GetEntries()) {
      if (unzip.ReadFileData(name, bytes, 1) && bytes.size() != entry.info.uncompressed_size + 1)
        __builtin_trap();
      unzip.IsFileInZipFile(name.c_str());
    }
    unzip.GetPathsForExtension("dat");

    const fs::path out = Scratch() / "out";
    unzip.Unzip((out.string() + "/").c_str());
    // Only the destination may have appeared in the scratch folder.
    for (const auto& e : fs::directory_iterator(Scratch()))
      if (e.path() != out) __builtin_trap();
    std::error_code ec;
    fs::remove_all(out, ec);
  }
  unzip.Close();
  stream->Release();
  return 0;
}
