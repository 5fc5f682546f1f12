// The demo building's floors and loads: decks and the three deck property tables, load cases,
// surface load properties, loads, load combinations and deflection criteria, written beside a
// model by the library's own writers.
#pragma once

#include <string>
#include <vector>

struct SMDF;

namespace qeldb {

// The extension the demo gives its load-combination file (the suite lets each program choose).
inline constexpr const char* kDemoComboExt = "cmb";

// Replaces the tables above for the model `base` and records their counts in `mdf` (deck
// properties, load cases, load combinations, steel and concrete criteria); saving `mdf` is the
// caller's business. False, with the reason in `error`, when a table cannot be written.
bool WriteDemoFloorsAndLoads(const std::string& base, SMDF& mdf, std::string& error);

// The extensions of every file WriteDemoFloorsAndLoads writes.
std::vector<std::string> DemoFloorsAndLoadsExtensions();

}  // namespace qeldb
