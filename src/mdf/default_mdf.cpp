#include "mdf/default_mdf.h"

SMDF mdf{};
