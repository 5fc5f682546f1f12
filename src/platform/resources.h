// String resources as the platform hands them out: LoadString's CString over the library's string
// table (res/string_table.h, the layer below the platform; res/string_ids.h names its entries).
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"
#include "res/string_table.h"

namespace qel {

// The text of entry `id`, or an empty string when there is none.
CString LoadResString(UINT id);

}  // namespace qel
