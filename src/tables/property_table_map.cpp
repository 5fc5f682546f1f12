#include "tables/property_table_map.h"

#include <memory>
#include <new>

namespace {
std::unique_ptr<PropertyTableMap> g_map;
}  // namespace

namespace {
// tolower of the "C" locale, without a call per character: names match without regard to ASCII
// case whatever locale the host program has set.
inline unsigned char Lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
}  // namespace

bool ci_less::operator()(std::string_view a, std::string_view b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Lower(a[i]), y = Lower(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

void PropertyTableMap::AddMapToSteelTable(const char* name, long position) {
  if (!name) return;
  const std::string_view key(name);
  const auto it = m_map.lower_bound(key);
  if (it == m_map.end() || ci_less()(key, it->first))
    m_map.emplace_hint(it, key, static_cast<LONG>(position));
}

long PropertyTableMap::GetMyLocationInTheSteelTable(const char* name) const {
  if (!name) return -1;
  const auto it = m_map.find(std::string_view(name));
  return it == m_map.end() ? -1 : it->second;
}

void PropertyTableMap::ClearTables() { m_map.clear(); }

void* CreatePropertyTableMapObject() {
  g_map.reset();
  g_map.reset(new (std::nothrow) PropertyTableMap);
  return g_map.get();
}

void AddMapToSteelTable(const char* name, long position) {
  if (g_map) g_map->AddMapToSteelTable(name, position);
}

void ClearTables() {
  if (g_map) g_map->ClearTables();
}

long GetMyLocationInTheSteelTable(const char* name) {
  return g_map ? g_map->GetMyLocationInTheSteelTable(name) : -99;
}
