// The Python module qeldbio: models, their tables as numpy structured arrays, and the plane
// geometry, over the static library.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "errors.h"
#include "geometry.h"
#include "model.h"

namespace py = pybind11;

PYBIND11_MODULE(qeldbio, m) {
  m.doc() = R"(qeldbio: building models of the structural-engineering suite as numpy arrays.

Model(path) opens a model by its database name (the base path without extension; the
master data file or any record file of the model names it too). Its record files come back
as numpy structured arrays whose dtype names and types every field the library interprets,
at its offset, and keeps the other bytes as opaque fields; pandas.DataFrame(array) turns one
into a table. Failures raise FileNotFoundError, PermissionError (a file held by another
program), ValueError (bad data) or OSError, with the library's message.)";

  qelpy::InstallErrorHandling(m);

  py::class_<qelpy::Model>(m, "Model", "A building model opened by its database name.")
      .def(py::init<const std::string&>(), py::arg("path"),
           R"(Opens the model named by path: its database name, its master data file
(MODEL.qel) or any of its record files. The master data file is read now when present.
FileNotFoundError when the model has neither a master data file nor a record file.)")
      .def_property_readonly("name", &qelpy::Model::Name,
                             "The database name: the model's base path without extension.")
      .def("tables", &qelpy::Model::Tables,
           R"(The model's record files that are present, in catalogue order: a list of dicts
with keys ext, bytes, records (None when the length is no whole number of records or the
file is held by another program) and stamp ("major.minor.patch" of record 0 of a versioned
table, else None) -- the rows of `qeldb tables --json`.)")
      .def("dtype", &qelpy::Model::Dtype, py::arg("ext"),
           R"(The numpy dtype of table ext: itemsize = the record size, every interpreted
field named and typed at its offset, the rest opaque bytes named _bytes_<offset>.)")
      .def("read", &qelpy::Model::Read, py::arg("ext"), py::arg("start") = 0,
           py::arg("count") = py::none(),
           R"(Records start .. start+count-1 of table ext (count None: to the end) as a
structured array of dtype(ext), read straight into the array's buffer.
FileNotFoundError for a missing file, PermissionError when another program writes it,
ValueError for a length that is no whole number of records or records of an older
layout, IndexError for a range outside the table.)")
      .def("write", &qelpy::Model::Write, py::arg("ext"), py::arg("array"),
           R"(Replaces table ext (one the library writes) by the records of array, a
one-dimensional array of dtype(ext). A versioned table's records must carry its current
stamp. ValueError for another dtype or shape; PermissionError when the file is held.)")
      .def("save_mdf", &qelpy::Model::SaveMdf,
           R"(Saves the master data record as the model's .qel file (XML), replacing the old
file only once the new one is complete.)")
      .def("__repr__",
           [](const qelpy::Model& model) { return "qeldbio.Model('" + model.Name() + "')"; });

  qelpy::BindGeometry(m);
}
