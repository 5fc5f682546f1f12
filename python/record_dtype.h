// numpy dtypes of the record files, generated from the record catalogue and the record layouts.
//
// A table's dtype has the table's current record size as itemsize. Every field the library
// interprets is named and typed at its offset -- the version stamp of a stamped table as "stamp",
// and every field dbio/record_fields.def lists for the table's record under its member name --
// and the bytes between them are opaque fields named "_bytes_<offset>" of numpy type V<n>, so a
// record read and written back keeps every byte.
#pragma once

#include <pybind11/numpy.h>

#include "dbio/record_catalogue.h"

namespace qelpy {

// The dtype of the records of `info` (cached per table; the GIL must be held).
pybind11::dtype TableDtype(const qel::RecordFileInfo& info);

}  // namespace qelpy
