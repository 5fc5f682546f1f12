// Integer settings of the suite's settings file for the layers below the one that knows where
// that file is and how it is searched for (mdf/settings.h). Geometry reads its polygon engine
// choice this way, so it never reaches up into the settings layer: the settings layer installs
// its reader when the library is loaded, and until a reader is installed (or after it is
// removed) every read gives its default.
#pragma once

namespace qel {

using SettingIntReader = int (*)(const char* section, const char* key, int def);

// Installs `reader`; null removes it. Safe from any thread.
void SetSettingIntReader(SettingIntReader reader);

// The value of `key` in `section` through the installed reader, or `def` when there is none.
int ReadSettingInt(const char* section, const char* key, int def);

}  // namespace qel
