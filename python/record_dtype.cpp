#include "record_dtype.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "dbio/record_fields.h"

namespace py = pybind11;

namespace qelpy {
namespace {

struct Field {
  std::string name;
  py::object format;
  std::uint32_t offset;
  std::uint32_t size;
};

// The numpy type of a listed field: text as fixed-width bytes, arrays as sub-arrays.
py::object Format(const qel::RecordField& f) {
  const char* base = "";
  switch (f.type) {
    case qel::RecordFieldType::text:
      return py::str("S" + std::to_string(f.count));
    case qel::RecordFieldType::u8:
      base = "u1";
      break;
    case qel::RecordFieldType::i32:
      base = "<i4";
      break;
    case qel::RecordFieldType::u32:
      base = "<u4";
      break;
    case qel::RecordFieldType::f32:
      base = "<f4";
      break;
    case qel::RecordFieldType::f64:
      base = "<f8";
      break;
  }
  if (f.count == 1) return py::str(base);
  return py::make_tuple(base, f.count);
}

// The named fields of `info`, in offset order: the stamp under the name "stamp", then every field
// the record's field table lists.
std::vector<Field> NamedFields(const qel::RecordFileInfo& info) {
  std::vector<Field> fields;
  if (info.stampOffset >= 0 && info.stampOffset + 4 <= info.recordSize)
    fields.push_back({"stamp", py::str("<u4"), static_cast<std::uint32_t>(info.stampOffset), 4});
  for (const qel::RecordField& f : qel::RecordFields(info.recordType)) {
    if (static_cast<int>(f.offset) == info.stampOffset) continue;
    fields.push_back({f.name, Format(f), f.offset, qel::RecordFieldTypeSize(f.type) * f.count});
  }
  std::sort(fields.begin(), fields.end(),
            [](const Field& a, const Field& b) { return a.offset < b.offset; });
  return fields;
}

// The fields laid end to end over `size` bytes, gaps filled with opaque bytes.
py::dtype Assemble(const std::vector<Field>& named, std::uint32_t size) {
  py::list names, formats, offsets;
  std::uint32_t at = 0;
  auto opaque = [&](std::uint32_t from, std::uint32_t to) {
    if (to <= from) return;
    names.append("_bytes_" + std::to_string(from));
    formats.append("V" + std::to_string(to - from));
    offsets.append(from);
  };
  for (const Field& f : named) {
    opaque(at, f.offset);
    names.append(f.name);
    formats.append(f.format);
    offsets.append(f.offset);
    at = std::max(at, f.offset + f.size);
  }
  opaque(at, size);
  py::dict layout;
  layout["names"] = names;
  layout["formats"] = formats;
  layout["offsets"] = offsets;
  layout["itemsize"] = size;
  return py::dtype::from_args(layout);
}

}  // namespace

py::dtype TableDtype(const qel::RecordFileInfo& info) {
  // Never destroyed: dtypes are Python objects and must not outlive the interpreter's shutdown.
  static auto* cache = new std::map<std::string, py::dtype>;
  auto it = cache->find(info.ext);
  if (it != cache->end()) return it->second;
  py::dtype dt = Assemble(NamedFields(info), static_cast<std::uint32_t>(info.recordSize));
  cache->emplace(info.ext, dt);
  return dt;
}

}  // namespace qelpy
