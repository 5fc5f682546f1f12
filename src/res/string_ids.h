// Named string-table numbers: one constant per entry of the .def files beside this header, so code
// says qel::kIdsMiscDefaults where it means entry 26230.
//
// The name is part of the entry's row, QEL_STRING(name, number, "text"), and follows one rule:
// "kIds" and the text in CamelCase (the words of letters and digits, each begun with a capital;
// a '/' reads "Per": "kip/ft" -> kIdsKipPerFt). A name already taken gets "_<number>"
// (kIdsIn_25002); sentences and formats get a short name of their own (kIdsDateFormat).
// A name or a number used twice does not compile.
#pragma once

namespace qel {

#define QEL_STRING(name, id, text) inline constexpr unsigned name = id;
#include "res/strings_defaults.def"
#include "res/strings_deflection.def"
#include "res/strings_messages.def"
#include "res/strings_settings.def"
#include "res/strings_units.def"
#undef QEL_STRING

}  // namespace qel
