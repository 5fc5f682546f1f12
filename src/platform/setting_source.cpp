#include "platform/setting_source.h"

#include <atomic>

namespace {

std::atomic<qel::SettingIntReader> g_reader{nullptr};

}  // namespace

namespace qel {

void SetSettingIntReader(SettingIntReader reader) { g_reader.store(reader); }

int ReadSettingInt(const char* section, const char* key, int def) {
  const SettingIntReader reader = g_reader.load();
  return reader != nullptr ? reader(section, key, def) : def;
}

}  // namespace qel
