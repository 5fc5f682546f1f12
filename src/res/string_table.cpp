// The string table. Entries live in the .def files beside this file, one file per area, each line
// QEL_STRING(name, number, "text"); this file is the only reader of their texts. The lookup table
// is built while compiling: one slot per number of the table's range, so a lookup is one index and
// a number given twice is a compile error.
#include "res/string_table.h"

#include <array>
#include <cstddef>

namespace {

struct Entry {
  unsigned id;
  const char* text;
};

#define QEL_STRING(name, id, text) Entry{id, text},
constexpr Entry kEntries[] = {
#include "res/strings_defaults.def"
#include "res/strings_deflection.def"
#include "res/strings_messages.def"
#include "res/strings_settings.def"
#include "res/strings_units.def"
};
#undef QEL_STRING

constexpr std::size_t kSlots = qel::kLastResString - qel::kFirstResString + 1;

struct Slots {
  std::array<const char*, kSlots> text{};
  bool outOfRange = false;
  bool duplicate = false;
};

constexpr Slots BuildSlots() {
  Slots s;
  for (const Entry& e : kEntries) {
    if (e.id < qel::kFirstResString || e.id > qel::kLastResString) {
      s.outOfRange = true;
      continue;
    }
    const char*& slot = s.text[e.id - qel::kFirstResString];
    if (slot != nullptr) s.duplicate = true;
    slot = e.text;
  }
  return s;
}

constexpr Slots kSlotTable = BuildSlots();
static_assert(!kSlotTable.outOfRange, "a string-table number lies outside 25000..28715");
static_assert(!kSlotTable.duplicate, "a string-table number is used twice");

}  // namespace

namespace qel {

const char* FindResString(unsigned id) {
  if (id < kFirstResString || id > kLastResString) return nullptr;
  return kSlotTable.text[id - kFirstResString];
}

int ResStringCount() { return static_cast<int>(std::size(kEntries)); }

}  // namespace qel
