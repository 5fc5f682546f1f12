// The library's string table: numbered texts (unit labels, settings sections and keys, default
// texts, messages). Settings keys and labels are looked up by number, so numbers and texts are
// part of the on-disk contract with the suite's settings files.
//
// The lowest layer of the library: plain C text, nothing from any other layer. The entries live
// in the .def files beside this header; res/string_ids.h names them. The table's numbers run from
// kFirstResString to kLastResString; a number is used at most once (checked when compiling).
#pragma once

namespace qel {

inline constexpr unsigned kFirstResString = 25000;
inline constexpr unsigned kLastResString = 28715;

// The text of entry `id`, or nullptr when the table has no such entry. The pointer stays valid for
// the life of the process.
const char* FindResString(unsigned id);

// Number of entries in the table.
int ResStringCount();

}  // namespace qel
