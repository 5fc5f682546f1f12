// The library's string table: numbered texts (unit labels, settings sections and keys, default
// texts, messages). Settings keys and labels are looked up by number, so numbers and texts are
// part of the on-disk contract with the suite's settings files.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

namespace qel {

// The text of entry `id`, or nullptr when the table has no such entry. The pointer stays valid for
// the life of the process.
const char* FindResString(UINT id);

// The text of entry `id`, or an empty string when there is none.
CString LoadResString(UINT id);

// Number of entries in the table (for diagnostics and tests).
int ResStringCount();

}  // namespace qel
