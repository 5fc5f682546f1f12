// qeldbio.Model: one building model opened by its database name, its record files as numpy arrays
// and its master data record.
//
// Every file operation runs with the GIL released; failures raise (see errors.h). The object keeps
// no file open between calls, as CDBIO does not.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "model_tables.h"
#include "table_source.h"

struct SMDF;

namespace qelpy {

// CDBIO with its record primitives opened to the bindings.
class Database : public qeldb::ModelDB {
 public:
  using CDBIO::ReadDB;
  using CDBIO::RecordFilePath;
  using CDBIO::WriteDB;
  using qeldb::ModelDB::ModelDB;
};

class Model {
 public:
  // `path`: the database name, the master data file or any record file of the model. Reads the
  // master data file when there is one; raises FileNotFoundError when the model has neither a
  // master data file nor a record file.
  explicit Model(const std::string& path);
  ~Model();

  const std::string& Name() const { return name_; }
  // The rows of `qeldb tables --json`.
  pybind11::object Tables();
  // The dtype of table `ext`.
  pybind11::dtype Dtype(const std::string& ext);
  // Records [start, start + count) of table `ext` (count: to the end), read in one go into the
  // array's buffer.
  pybind11::array Read(const std::string& ext, long start, std::optional<long> count);
  // Replaces table `ext` by the records of `array` (a 1-D array of the table's dtype).
  void Write(const std::string& ext, const pybind11::array& array);

  // The master data record (FileNotFoundError when the model has no master data file).
  SMDF& Mdf();
  // Saves the master data record through WriteMdf.
  void SaveMdf();
  // A field of the master data record by archive name (KeyError for no such field), as
  // `qeldb mdf --field` shows it; and set from a Python value (ValueError when it does not fit).
  pybind11::object MdfField(const std::string& name);
  void SetMdfField(const std::string& name, const pybind11::handle& value);
  // The archive names of the record's top-level fields, in the archive's order.
  pybind11::list MdfNames();

  // The rows of `qeldb stories --json` / `qeldb members --json`; warnings become Python warnings.
  pybind11::object Stories();
  pybind11::object Members(const std::string& kind, std::optional<int> story);
  // The rows of `qeldb upgrade --json`; raises when a table could not be upgraded.
  pybind11::object Upgrade(bool dryRun);

 private:
  const qel::RecordFileInfo& Table(const std::string& ext) const;
  // Whole records of `info` in its file; raises when the file is missing, locked or misaligned.
  int CountRecords(const qel::RecordFileInfo& info);
  // Raises the reason a call on file `ext` failed, as far as opening it tells; when the file opens,
  // `what` as ValueError (`badData`: its content is at fault) or OSError.
  [[noreturn]] void RaiseFailure(const char* ext, UINT openFlags, const std::string& what,
                                 bool badData = false);

  // Converts a versioned table of an older layout in memory as its reader does and returns
  // records [start, start + count) of the result.
  pybind11::array ReadConverted(const qel::RecordFileInfo& info, unsigned long stamp, long start,
                                std::optional<long> count);

  std::string name_;
  std::unique_ptr<SMDF> mdf_;
  bool hasMdf_ = false;
  Database db_;
  qeldb::TableSource source_;  // the model's folder
};

}  // namespace qelpy
