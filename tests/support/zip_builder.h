// Zip archives laid out byte by byte from the format's records (local header, data, central
// directory, end record), so tests of the reader do not depend on any zip writer -- and can lie:
// wrong sizes or CRCs, names no writer would store, entries sharing data, a cut directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qeltest {

struct ZipEntrySpec {
  std::string name;
  std::vector<unsigned char> data;  // the entry's uncompressed bytes
  int method = 8;                   // 8: deflated here with zlib; 0: stored; others: stored as is
  std::uint16_t dosDate = DosDate(2024, 1, 1);
  std::uint16_t dosTime = 0;
  std::uint16_t flags = 0;
  // Lies the directory and local header tell instead of the truth.
  std::optional<std::uint64_t> declaredSize;
  std::optional<std::uint32_t> crc;
  // Sizes in the zip64 extra field (the 32-bit fields then hold 0xFFFFFFFF).
  bool zip64 = false;
  // The central record points at the local header of entry `shareDataOf` (an earlier index)
  // instead of a header and data of its own.
  std::optional<std::size_t> shareDataOf;

  static std::uint16_t DosDate(int year, int month, int day) {
    return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  }
  static std::uint16_t DosTime(int hour, int minute, int second) {
    return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  }
};

struct ZipLayout {
  std::vector<unsigned char> bytes;
  std::size_t centralOffset = 0;  // where the central directory starts
  std::size_t endOffset = 0;      // where the end record starts
};

ZipLayout BuildZip(const std::vector<ZipEntrySpec>& entries, const std::string& comment = "");

// Raw deflate (no zlib header) at level 9.
std::vector<unsigned char> Deflate(const std::vector<unsigned char>& data);
std::uint32_t Crc32(const std::vector<unsigned char>& data);
std::vector<unsigned char> Text(const std::string& s);

}  // namespace qeltest
