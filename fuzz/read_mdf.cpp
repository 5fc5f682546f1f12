// Fuzz target for CDBIO::ReadMdf: arbitrary bytes as a model's master data file.
//
// Besides the sanitizers' checks: a failed read leaves a record of zeros, and a record that was
// read saves and reads back byte for byte (every field the writer stores overrides the defaults
// the reader lays down first).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "dbio/dbio.h"
#include "mdf/cqelmdf.h"
#include "mdf/smdf.h"
#include "platform/cfile.h"
#include "platform/messages.h"

namespace {

std::string BuiltInDefault(const char*, const char*, const char* def) { return def ? def : ""; }

const std::string& Base() {
  static const std::string base =
      (std::filesystem::temp_directory_path() /
       ("fuzz_read_mdf." +
        std::to_string(std::hash<std::string>{}(std::filesystem::current_path().string()))))
          .string();
  return base;
}

bool AllZero(const SMDF& m) {
  const auto* p = reinterpret_cast<const unsigned char*>(&m);
  for (std::size_t i = 0; i < sizeof m; ++i)
    if (p[i] != 0) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool setUp = [] {
    CQelMDF::SetProfileReader(&BuiltInDefault);
    qel::SetMessageSink([](const char*, const char*, UINT) { return IDOK; });
    return true;
  }();
  (void)setUp;
  const std::string path = Base() + ".qel";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CDBIO db(Base().c_str(), nullptr);
  {
    CFile file(path.c_str(), CFile::modeRead);
    const bool xml = db.IsXml(file);
    if (xml != (size >= 6 && std::memcmp(data, "<?xml ", 6) == 0)) std::abort();
    (void)db.ReadMdfVersion(file);
    if (file.GetPosition() != 0) std::abort();
  }
  auto mdf = std::make_unique<SMDF>();
  std::memset(static_cast<void*>(mdf.get()), 0x5A, sizeof(SMDF));
  if (!db.ReadMdf(mdf.get())) {
    if (!AllZero(*mdf)) std::abort();
    return 0;
  }
  if (!db.WriteMdf(mdf.get())) std::abort();
  auto back = std::make_unique<SMDF>();
  if (!db.ReadMdf(back.get())) std::abort();
  if (std::memcmp(back.get(), mdf.get(), sizeof(SMDF)) != 0) std::abort();
  return 0;
}
