// The name index of the master steel table: section name -> record position, names compared
// without regard to ASCII case (w14x22 finds W14X22).
//
// One process-wide instance serves the flat functions; CreatePropertyTableMapObject replaces it
// with an empty one at the start of every real build of the table. The first position entered
// under a name stays: later records of the same name are not reachable by name.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/win_types.h"

// Strict weak order on byte strings: position by position with the "C" locale's tolower on both
// characters (ASCII letters only), the first difference decides; a proper prefix is less.
struct ci_less {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class PropertyTableMap {
 public:
  // Inserts (name, position) unless the name is present.
  void AddMapToSteelTable(const char* name, long position);
  // The position stored for `name`, or -1.
  long GetMyLocationInTheSteelTable(const char* name) const;
  void ClearTables();
  std::size_t size() const { return m_map.size(); }

 private:
  std::map<std::string, LONG, ci_less> m_map;
};

// Destroys the instance (if any) and creates an empty one: an opaque non-null pointer, or null
// when it could not be allocated.
void* CreatePropertyTableMapObject();
// Do nothing without an instance.
void AddMapToSteelTable(const char* name, long position);
void ClearTables();
// -1 when absent; -99 without an instance.
long GetMyLocationInTheSteelTable(const char* name);
