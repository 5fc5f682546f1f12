// The plane geometry functions of the module: polygon intersection and point in polygon on
// (n, 2) float64 arrays.
#pragma once

#include <pybind11/pybind11.h>

namespace qelpy {

void BindGeometry(pybind11::module_& m);

}  // namespace qelpy
