// The string table. Entries live in the .def files beside this one, one file per area, each line
// QEL_STRING(number, "text"); this file is the only reader of them.
#include <algorithm>
#include <array>
#include <cstddef>

#include "platform/resources.h"

namespace {

struct Entry {
  UINT id;
  const char* text;
};

#define QEL_STRING(id, text) Entry{id, text},
constexpr Entry kEntries[] = {
#include "res/strings_defaults.def"
#include "res/strings_deflection.def"
#include "res/strings_messages.def"
#include "res/strings_settings.def"
#include "res/strings_units.def"
};
#undef QEL_STRING

constexpr std::size_t kCount = sizeof kEntries / sizeof kEntries[0];

// Sorted once by number; lookups are binary searches.
const std::array<Entry, kCount>& Sorted() {
  static const std::array<Entry, kCount> sorted = [] {
    std::array<Entry, kCount> a{};
    std::copy(std::begin(kEntries), std::end(kEntries), a.begin());
    std::stable_sort(a.begin(), a.end(),
                     [](const Entry& x, const Entry& y) { return x.id < y.id; });
    return a;
  }();
  return sorted;
}

}  // namespace

namespace qel {

const char* FindResString(UINT id) {
  const auto& t = Sorted();
  auto it =
      std::lower_bound(t.begin(), t.end(), id, [](const Entry& e, UINT v) { return e.id < v; });
  return (it != t.end() && it->id == id) ? it->text : nullptr;
}

CString LoadResString(UINT id) {
  const char* s = FindResString(id);
  return CString(s ? s : "");
}

int ResStringCount() { return static_cast<int>(kCount); }

}  // namespace qel
