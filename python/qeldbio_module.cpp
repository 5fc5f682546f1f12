// The Python module qeldbio: models, their tables as numpy structured arrays, and the plane
// geometry, over the static library.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "errors.h"
#include "geometry.h"
#include "model.h"
#include "sections.h"

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

  // Model.mdf: a live view of the model's master data record by archive name.
  struct MasterData {
    py::object owner;  // the Model, kept alive by the view
    qelpy::Model& model() const { return owner.cast<qelpy::Model&>(); }
  };
  py::class_<MasterData>(m, "MasterData",
                         R"(The master data record of a model, by archive name: m.mdf["Units"],
m.mdf["JoistCriteria.DefLoad.UniLoad.Type"], m.mdf["arHangerTrialGroups[2].bEnabled"].
Reading gives numbers, text, lists (arrays of values) or dicts (nested records); assigning
sets the field in memory (numbers, bools, text, sequences of numbers for arrays) and
Model.save_mdf() writes it. KeyError for a name that is no field; ValueError for a value
that does not fit its field (the record is then unchanged).)")
      .def(
          "__getitem__",
          [](const MasterData& d, const std::string& name) { return d.model().MdfField(name); },
          py::arg("name"), "The field named name (KeyError when there is none).")
      .def(
          "__setitem__",
          [](const MasterData& d, const std::string& name, const py::object& value) {
            d.model().SetMdfField(name, value);
          },
          py::arg("name"), py::arg("value"),
          "Sets the field named name from value; ValueError when it does not fit.")
      .def(
          "__contains__",
          [](const MasterData& d, const std::string& name) {
            try {
              d.model().MdfField(name);
              return true;
            } catch (const py::key_error&) {
              return false;
            }
          },
          py::arg("name"), "Whether name is a field's archive name.")
      .def(
          "keys", [](const MasterData& d) { return d.model().MdfNames(); },
          "The archive names of the record's top-level fields, in the archive's order.")
      .def(
          "__iter__", [](const MasterData& d) { return d.model().MdfNames().attr("__iter__")(); },
          "Iterates over keys().")
      .def(
          "__len__", [](const MasterData& d) { return py::len(d.model().MdfNames()); },
          "The number of top-level fields.")
      .def(
          "get",
          [](const MasterData& d, const std::string& name, const py::object& fallback) {
            try {
              return d.model().MdfField(name);
            } catch (const py::key_error&) {
              return fallback;
            }
          },
          py::arg("name"), py::arg("default") = py::none(),
          "The field named name, or default when there is none.");

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
      .def_property_readonly(
          "mdf",
          [](py::object self) {
            self.cast<qelpy::Model&>().Mdf();  // FileNotFoundError without a master data file
            return MasterData{self};
          },
          R"(The master data record as a mapping by archive name (see MasterData).
FileNotFoundError when the model has no master data file.)")
      .def("stories", &qelpy::Model::Stories,
           R"(The model's stories as a list of dicts with keys index, floor_type, elevation,
beams, columns, walls, braces, first_beam, first_column, first_wall, first_brace -- what
`qeldb stories --json` prints. A member range the member tables do not hold, or a story
count that differs from the master data's, gives a UserWarning.)")
      .def("members", &qelpy::Model::Members, py::arg("kind"), py::arg("story") = py::none(),
           R"(The beams, columns or walls (kind) as the library's readers give them (older
records converted in memory; the files are not changed): a list of dicts, what
`qeldb members KIND --json` prints. story: only that story's range (walls then carry the
foundation flags worked out from the story below). FileNotFoundError for a missing table;
ValueError for an unknown kind, an unreadable table or a story the model does not have.)")
      .def("upgrade", &qelpy::Model::Upgrade, py::arg("dry_run") = false,
           R"(Converts every versioned table of the model to the current layout on disk,
keeping each changed file's previous bytes as FILE.bak, as `qeldb upgrade` does; with
dry_run=True the conversion runs in memory only. Returns a list of dicts with keys ext,
from, to (stamps) and records. Raises ValueError (PermissionError for a read-only table)
naming every table that could not be upgraded; those are left as they were.)")
      .def("save_mdf", &qelpy::Model::SaveMdf,
           R"(Saves the master data record as the model's .qel file (XML), replacing the old
file only once the new one is complete.)")
      .def("__repr__",
           [](const qelpy::Model& model) { return "qeldbio.Model('" + model.Name() + "')"; });

  qelpy::BindGeometry(m);
  qelpy::BindSections(m);
}
