#include "model.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "errors.h"
#include "field_values.h"
#include "mdf/record_desc.h"
#include "mdf/smdf.h"
#include "model_name.h"
#include "model_rows.h"
#include "platform/cfile.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "record_dtype.h"
#include "table_rows.h"
#include "table_upgrades.h"
#include "text_forms.h"

namespace py = pybind11;

namespace qelpy {
namespace {

constexpr UINT kReadFlags = CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary;
// Only for telling why a write failed: never creates the file.
constexpr UINT kWriteFlags = CFile::modeReadWrite | CFile::shareExclusive | CFile::typeBinary;

// ReadDB and WriteDB move at most 4 GiB per call; larger tables go in slices of whole records.
long SliceRecords(int recordSize) {
  return std::max(1L, static_cast<long>((1UL << 30) / static_cast<unsigned long>(recordSize)));
}

// A JSON value as the Python object json.loads makes of it: the command-line tool's rows, as it
// prints them.
py::object FromJson(const qeldb::Json& value) {
  static py::object* loads = new py::object(py::module_::import("json").attr("loads"));
  return (*loads)(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void Warn(const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings)
    if (PyErr_WarnEx(PyExc_UserWarning, w.c_str(), 1) != 0) throw py::error_already_set();
}

}  // namespace

Model::Model(const std::string& path)
    : name_(qeldb::ModelBase(path)),
      mdf_(std::make_unique<SMDF>()),
      db_(CString(name_.c_str()), nullptr) {
  std::memset(mdf_.get(), 0, sizeof(SMDF));
  std::string folderOnly;
  source_.Open(name_, "", folderOnly);  // a folder always opens
  if (PathFileExistsA((name_ + ".qel").c_str())) {
    bool ok;
    MessageCapture messages;
    {
      py::gil_scoped_release unlocked;
      ok = db_.ReadMdf(mdf_.get());
    }
    if (!ok) {
      std::string why = messages.Text();
      RaiseFailure("qel", kReadFlags,
                   "not a readable master data file" + (why.empty() ? "" : ": " + why), true);
    }
    hasMdf_ = true;
    db_.SetMDF(mdf_.get());
    return;
  }
  bool any;
  {
    py::gil_scoped_release unlocked;
    std::vector<std::string> directories;
    any = !qeldb::ListTables(db_, source_, directories).empty();
  }
  if (!any) RaiseNotFound("no model named " + name_ + " (no master data file and no record file)");
}

Model::~Model() = default;

py::object Model::Tables() {
  std::vector<qeldb::TableRow> rows;
  std::vector<std::string> directories;
  {
    py::gil_scoped_release unlocked;
    rows = qeldb::ListTables(db_, source_, directories);
  }
  for (std::string& d : directories) d += " is a directory, not a record file";
  Warn(directories);
  return FromJson(qeldb::TablesJson(rows));
}

const qel::RecordFileInfo& Model::Table(const std::string& ext) const {
  const qel::RecordFileInfo* info = ext.empty() ? nullptr : qel::FindRecordFile(ext);
  if (!info) RaiseValue("no record table has the extension '" + ext + "'");
  return *info;
}

py::dtype Model::Dtype(const std::string& ext) { return TableDtype(Table(ext)); }

void Model::RaiseFailure(const char* ext, UINT openFlags, const std::string& what, bool badData) {
  const CString path = db_.RecordFilePath(ext);
  CFile file;
  CFileException error;
  bool opened;
  {
    py::gil_scoped_release unlocked;
    opened = file.Open(path, openFlags, &error);
  }
  if (!opened) RaiseFileError(error);
  const std::string message = std::string(path.GetString()) + ": " + what;
  if (badData) RaiseValue(message);
  RaiseOs(message);
}

int Model::CountRecords(const qel::RecordFileInfo& info) {
  const std::string path = db_.RecordFilePath(info.ext).GetString();
  int n;
  {
    py::gil_scoped_release unlocked;
    n = db_.GetRecordCount(info.ext, info.recordSize);  // CFileException: translated on the way out
  }
  if (n == -1) RaiseNotFound(path + ": the file was not found");
  if (n < 0)
    RaiseValue(path + ": the length is no whole number of " + std::to_string(info.recordSize) +
               "-byte records");
  return n;
}

namespace {

// Checks [start, start + count) against a table of n records; the count asked for (count: to the
// end).
long CheckRange(long n, long start, std::optional<long> count) {
  if (start < 0 || start > n)
    throw py::index_error("start " + std::to_string(start) + " is outside the table's " +
                          std::to_string(n) + " records");
  const long want = count.value_or(n - start);
  if (want < 0 || want > n - start)
    throw py::index_error("count " + std::to_string(want) + " from record " +
                          std::to_string(start) + " runs past the table's " + std::to_string(n) +
                          " records");
  return want;
}

}  // namespace

py::array Model::Read(const std::string& ext, long start, std::optional<long> count) {
  const qel::RecordFileInfo& info = Table(ext);
  py::dtype dtype = TableDtype(info);
  // Records of an older layout are shorter: the stamp tells before the length is judged.
  if (info.versioned) {
    unsigned long stamp = 0;
    int got;
    {
      py::gil_scoped_release unlocked;
      got = db_.ReadFirstRecordStamp(info.ext, info.stampOffset, stamp);
    }
    if (got && stamp < info.currentStamp) return ReadConverted(info, stamp, start, count);
  }
  const long n = CountRecords(info);
  const long want = CheckRange(n, start, count);
  py::array out(dtype, std::vector<py::ssize_t>{static_cast<py::ssize_t>(want)});
  auto* bytes = static_cast<unsigned char*>(out.mutable_data());
  bool ok = true;
  {
    py::gil_scoped_release unlocked;
    const long slice = SliceRecords(info.recordSize);
    for (long done = 0; ok && done < want; done += slice) {
      const long k = std::min(slice, want - done);
      ok = db_.ReadDB(info.ext, bytes + done * static_cast<long>(info.recordSize), info.recordSize,
                      start + done, k) != 0;
    }
  }
  if (!ok) RaiseFailure(info.ext, kReadFlags, "the records could not be read");
  return out;
}

py::array Model::ReadConverted(const qel::RecordFileInfo& info, unsigned long stamp, long start,
                               std::optional<long> count) {
  const std::string path = db_.RecordFilePath(info.ext).GetString();
  const qeldb::TableUpgrade* up = qeldb::FindTableUpgrade(info.ext);
  if (!up)
    RaiseValue(path + ": the records carry stamp " + qeldb::StampText(stamp) + ", older than " +
               qeldb::StampText(info.currentStamp) + ", and this version cannot convert them");
  std::vector<unsigned char> image;
  int size = 0;
  bool read, aligned = false, converted = false;
  const unsigned long fileStamp = stamp;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    read = qel::ReadWholeFile(path, image);
    size = read ? up->recordSize(db_, stamp) : 0;
    aligned = read && size > 0 && image.size() % static_cast<std::size_t>(size) == 0 &&
              image.size() / static_cast<std::size_t>(size) <= INT_MAX;
    // The conversion installs the file's bytes as its database's memory read buffer: a database
    // of its own, so that another thread's calls on this model never read through it.
    qeldb::ModelDB db(CString(name_.c_str()), hasMdf_ ? mdf_.get() : nullptr);
    if (aligned)
      converted = qeldb::ConvertInMemory(db, info, *up, static_cast<int>(image.size() / size),
                                         image, stamp);
  }
  if (!read) RaiseFailure(info.ext, kReadFlags, "the records could not be read");
  if (!aligned)
    RaiseValue(path + ": the length is no whole number of " + std::to_string(size) +
               "-byte records of " + qeldb::StampText(fileStamp));
  if (!converted) {
    const std::string why = messages.Text();
    RaiseValue(path + ": the records of " + qeldb::StampText(fileStamp) +
               " could not be converted" + (why.empty() ? "" : ": " + why));
  }
  const long n = static_cast<long>(image.size() / static_cast<std::size_t>(info.recordSize));
  const long want = CheckRange(n, start, count);
  py::array out(TableDtype(info), std::vector<py::ssize_t>{static_cast<py::ssize_t>(want)});
  if (want > 0)
    std::memcpy(out.mutable_data(), image.data() + start * static_cast<long>(info.recordSize),
                static_cast<std::size_t>(want) * info.recordSize);
  return out;
}

void Model::Write(const std::string& ext, const py::array& array) {
  const qel::RecordFileInfo& info = Table(ext);
  if (!*info.writtenBy)
    RaiseValue("the library does not write table '" + ext + "'; it is read only");
  py::dtype dtype = TableDtype(info);
  if (!array.dtype().equal(dtype))
    RaiseValue("the array's dtype is not the dtype of table '" + ext + "' (see Model.dtype('" +
               ext + "'))");
  if (array.ndim() != 1) RaiseValue("a table is written from a one-dimensional array");
  if (array.shape(0) > INT_MAX) RaiseValue("more records than a table can hold");
  // A strided view is copied once into record order.
  py::array records = py::array::ensure(array, py::array::c_style);
  if (!records) throw py::error_already_set();
  const long n = static_cast<long>(records.shape(0));
  const auto* bytes = static_cast<const unsigned char*>(records.data());
  if (info.stampOffset >= 0 && info.versioned) {
    for (long i = 0; i < n; ++i) {
      std::uint32_t stamp;
      std::memcpy(&stamp, bytes + i * static_cast<long>(info.recordSize) + info.stampOffset, 4);
      if (stamp != info.currentStamp)
        RaiseValue("record " + std::to_string(i) + " carries stamp " + qeldb::StampText(stamp) +
                   "; table '" + ext + "' is written at stamp " +
                   qeldb::StampText(info.currentStamp));
    }
  }
  bool ok = true;
  {
    py::gil_scoped_release unlocked;
    auto* data = const_cast<unsigned char*>(bytes);  // WriteDB does not write through it
    const long slice = SliceRecords(info.recordSize);
    ok = db_.WriteDB(info.ext, data, info.recordSize, 0, std::min(slice, n), 1) != 0;
    for (long done = slice; ok && done < n; done += slice)
      ok = db_.WriteDB(info.ext, data + done * static_cast<long>(info.recordSize), info.recordSize,
                       done, std::min(slice, n - done), 0) != 0;
  }
  if (!ok) RaiseFailure(info.ext, kWriteFlags, "the records could not be written");
}

SMDF& Model::Mdf() {
  if (!hasMdf_) RaiseNotFound(name_ + ".qel: the model has no master data file");
  return *mdf_;
}

void Model::SaveMdf() {
  SMDF& mdf = Mdf();
  bool ok;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    ok = db_.WriteMdf(&mdf);
  }
  if (!ok) {
    std::string why = messages.Text();
    RaiseFailure("qel", kWriteFlags,
                 "the master data file could not be saved" + (why.empty() ? "" : ": " + why));
  }
}

namespace {

[[noreturn]] void RaiseReport(const qeldb::RowReport& report) {
  if (report.missing) RaiseNotFound(report.error);
  RaiseValue(report.error);
}

// A Python value as the text SetFieldText reads: numbers in their shortest exact decimal, flags
// as 1 or 0, a sequence as its elements joined by commas, text as it is.
std::string FieldText(const py::handle& value, bool inArray = false) {
  if (py::isinstance<py::str>(value) && !inArray) return value.cast<std::string>();
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? "1" : "0";
  if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value))
    return py::repr(value).cast<std::string>();
  if (py::isinstance<py::sequence>(value) && !py::isinstance<py::str>(value) && !inArray) {
    std::string text;
    for (const py::handle item : value) {
      if (!text.empty()) text += ",";
      text += FieldText(item, true);
    }
    return text;
  }
  // A numpy scalar: its Python value.
  if (py::hasattr(value, "item") && py::hasattr(value, "dtype")) {
    py::object plain = value.attr("item")();
    if (py::isinstance<py::bool_>(plain) || py::isinstance<py::int_>(plain) ||
        py::isinstance<py::float_>(plain))
      return FieldText(plain, inArray);
  }
  RaiseValue(inArray ? "an array field takes a sequence of numbers"
                     : "cannot set a field from a " +
                           py::str(value.get_type().attr("__name__")).cast<std::string>());
}

qel::FieldRef FindMdfField(const std::string& name) {
  const qel::FieldRef ref = qel::FindField(qel::SmdfLayout(), name);
  if (!ref) throw py::key_error("no master data field named " + name);
  return ref;
}

}  // namespace

py::object Model::MdfField(const std::string& name) {
  const qel::FieldRef ref = FindMdfField(name);
  const auto* base = reinterpret_cast<const unsigned char*>(&Mdf()) + ref.offset;
  if (ref.element >= 0) return FromJson(qeldb::RecordValue(*ref.Record(), base));
  return FromJson(qeldb::FieldValue(*ref.field, base));
}

void Model::SetMdfField(const std::string& name, const py::handle& value) {
  const qel::FieldRef ref = FindMdfField(name);
  SMDF& mdf = Mdf();
  std::string error;
  if (!qel::SetFieldText(ref, &mdf, FieldText(value), error))
    RaiseValue("cannot set " + name + ": " + error);
}

py::list Model::MdfNames() {
  py::list names;
  const qel::RecordDesc& layout = qel::SmdfLayout();
  for (std::uint32_t k = 0; k < layout.field_count; ++k) {
    const qel::FieldDesc& f = layout.fields[layout.by_name[k]];
    if (f.record && f.count > 0) {
      for (std::uint32_t i = 0; i < f.count; ++i)
        names.append(std::string(f.name) + "[" + std::to_string(i) + "]");
    } else {
      names.append(f.name);
    }
  }
  return names;
}

py::object Model::Stories() {
  qeldb::Json rows;
  qeldb::RowReport report;
  bool ok;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    ok = qeldb::StoryRows(source_, rows, report);
  }
  if (!ok) RaiseReport(report);
  Warn(report.warnings);
  return FromJson(rows);
}

py::object Model::Members(const std::string& kind, std::optional<int> story) {
  if (story && *story < 0) throw py::index_error("a story index counts from 0");
  qeldb::Json rows;
  qeldb::RowReport report;
  bool ok;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    ok = qeldb::MemberRows(source_, kind, story.value_or(-1), rows, report);
  }
  Warn(report.warnings);
  if (!ok) RaiseReport(report);
  return FromJson(rows);
}

py::object Model::Upgrade(bool dryRun) {
  if (!hasMdf_) RaiseNotFound(name_ + ".qel: the model has no master data file");
  std::vector<qeldb::UpgradeRow> rows;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    qeldb::ModelDB db(CString(name_.c_str()), mdf_.get());  // its own memory read buffer
    rows = qeldb::UpgradeModel(db, dryRun);
  }
  std::string failed;
  bool readOnly = false;
  for (const qeldb::UpgradeRow& r : rows) {
    if (r.error.empty()) continue;
    if (!failed.empty()) failed += "\n";
    failed += qeldb::TablePath(db_, r.ext.c_str()) + ": " + r.error + "; left as it was";
    readOnly = readOnly || r.error == "is read-only";
  }
  if (!failed.empty()) {
    PyErr_SetString(readOnly ? PyExc_PermissionError : PyExc_ValueError, failed.c_str());
    throw py::error_already_set();
  }
  return FromJson(qeldb::UpgradeJson(rows));
}

}  // namespace qelpy
