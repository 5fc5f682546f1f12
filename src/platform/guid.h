// New GUIDs. CoCreateGuid fills `out` with a random (version 4, RFC 4122 variant) GUID drawn from
// the system's random device; it returns S_OK, or E_FAIL when no randomness could be had.
#pragma once

#include "platform/win_types.h"

HRESULT CoCreateGuid(GUID* out);
