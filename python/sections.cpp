#include "sections.h"

#include <pybind11/numpy.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "errors.h"
#include "mdf/smdf.h"
#include "model.h"
#include "platform/paths.h"
#include "tables/master_table.h"
#include "tables/steel_design_tables.h"

namespace py = pybind11;

namespace qelpy {
namespace {

// The master steel table is one process-wide array: one build at a time.
std::mutex g_tableMutex;

// The record's fields under their names: texts as fixed-width bytes (NUL-padded), a single
// character as one byte, numbers as little-endian float32.
py::dtype SectionDtype() {
  static auto* dtype = [] {
    py::list names, formats, offsets;
    for (const auto& f : qel::kMasterTableFields) {
      names.append(f.name);
      if (f.isChar)
        formats.append("S" + std::to_string(f.length > 0 ? f.length : 1));
      else if (f.length > 0)
        formats.append(py::make_tuple("<f4", f.length));
      else
        formats.append("<f4");
      offsets.append(f.offset);
    }
    py::dict layout;
    layout["names"] = names;
    layout["formats"] = formats;
    layout["offsets"] = offsets;
    layout["itemsize"] = sizeof(_MASTERTABLE);
    return new py::dtype(py::dtype::from_args(layout));
  }();
  return *dtype;
}

py::array Sections(const py::object& source) {
  std::string model, table;
  if (py::isinstance<Model>(source)) {
    model = source.cast<Model&>().Name();
    if (!PathFileExistsA((model + ".tab").c_str()))
      RaiseNotFound(model + ".tab: the model has no section table");
  } else if (py::isinstance<py::str>(source)) {
    table = source.cast<std::string>();
    auto mdf = std::make_unique<SMDF>();
    if (table.empty() || table.size() >= sizeof mdf->MasterSteelTableName)
      RaiseValue("a section table name has 1 to " +
                 std::to_string(sizeof mdf->MasterSteelTableName - 1) + " characters");
  } else {
    throw py::type_error("sections() takes a Model or the name of a section table");
  }

  py::array out;
  std::string why;
  int built = 0;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (!table.empty()) {
      auto mdf = std::make_unique<SMDF>();
      std::memset(mdf.get(), 0, sizeof(SMDF));
      std::memcpy(mdf->MasterSteelTableName, table.c_str(), table.size());
      built = BuildSteelDesignTables2(nullptr, nullptr, mdf.get());
    } else {
      built = BuildSteelDesignTables(nullptr, model.c_str());
    }
    if (built) {
      {
        py::gil_scoped_acquire locked;
        out = py::array(SectionDtype(),
                        std::vector<py::ssize_t>{static_cast<py::ssize_t>(NumMasterTable)});
      }
      if (NumMasterTable > 0)
        std::memcpy(out.mutable_data(), MasterTable_Bgn_Ptr,
                    static_cast<std::size_t>(NumMasterTable) * sizeof(_MASTERTABLE));
      DeleteMasterSteelTable();
    }
  }
  if (!built) {
    const std::string text = messages.Text();
    RaiseValue("the section table " + (table.empty() ? model + ".tab" : table) +
               " could not be read" + (text.empty() ? "" : ": " + text));
  }
  return out;
}

}  // namespace

void BindSections(py::module_& m) {
  m.def("sections", &Sections, py::arg("model_or_table"),
        R"(The master steel table as a structured array, one record per section, built as a
design program builds it. model_or_table is a Model (its working copy MODEL.tab is read) or
the name of a table of the tables folder the settings file names. Fields are named as in
the record: szName (bytes, NUL-padded), cCode and cShape (one byte each) and the section
properties as float32 (lengths in in, areas in^2, moduli in^3, second moments and J in^4,
Cw in^6, weight lb/ft). pandas.DataFrame(sections(m)) gives a table of them.
FileNotFoundError when the model has no section table; ValueError with the library's message
when the table cannot be read.)");
}

}  // namespace qelpy
