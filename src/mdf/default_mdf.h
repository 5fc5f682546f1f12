// The library's default master data record, `mdf`: the SMDF used where a caller passes none (the
// steel-table builders). Exported under that plain name for the suite's programs, which share it
// among themselves. Zero-initialised; the library only reads it.
#pragma once

#include "mdf/smdf.h"

extern SMDF mdf;
