// qeldbio.sections: the master steel table as a numpy structured array, built as a design
// program builds it -- from a model's working copy of its section table or from a table of the
// tables folder named by the settings file.
#pragma once

#include <pybind11/pybind11.h>

namespace qelpy {

void BindSections(pybind11::module_& m);

}  // namespace qelpy
