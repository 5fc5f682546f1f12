// Arbitrary bytes as the deck and deck property tables (through the memory read buffer, which
// stands for every table's file): the readers of every layout, old tables converted, and the
// property names decks resolve to.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dbio/dbio.h"

namespace {

// A partial read of an old composite table writes the converted table back to its file; those
// writes land in a scratch folder.
std::string ScratchBase() {
  static const std::string base = [] {
    auto dir = std::filesystem::temp_directory_path() / "qeldb-fuzz-deck-tables";
    std::filesystem::create_directories(dir);
    return (dir / "m").string();
  }();
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the range read; the rest is the table.
  const int count = data[0] % 8, start = data[1] % 8;
  std::vector<unsigned char> table(data + 2, data + size);
  CDBIO db(CString(ScratchBase().c_str()), nullptr);
  db.SetMemoryReadBuffer(&table);

  std::vector<SDECKS> decks(count);
  db.ReadDeckData(decks.data(), count, start);
  std::vector<SDECKPROP> props(count);
  db.ReadDeckProp(props.data(), count, start);
  std::vector<SCONCDECKPROP> conc(count);
  db.ReadConcDeckProp(conc.data(), count, start);
  std::vector<SNONCOMPDECKPROP> noncomp(count);
  db.ReadNonCompDeckProp(noncomp.data(), count, start);
  for (int kind = 0; kind < 3; ++kind)
    for (const SDECKS& d : decks) {
      SDECKS deck = d;
      deck.nDeckKind = kind;
      if (db.GetDeckPropName(deck).size() > 100) __builtin_trap();
    }
  db.GetDeckRecordSize(0xFFFFFFFF);
  db.GetDeckPropRecordSize(0xFFFFFFFF);
  return 0;
}
