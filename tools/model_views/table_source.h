// Where a model's files are read from: the folder its name points into, or the entries of a zip
// archive, read into memory without extracting anything. The command-line tool's --archive option
// (tools/qeldb/model_source.h) and the Python module (always a folder) both read through it.
//
//   - Exists(ext, &bytes)   is there a MODEL.ext, and how long is it;
//   - Serve(db, ext)        makes the CDBIO's reads and counts come from MODEL.ext: from an
//                           archive the entry becomes the object's memory read buffer (which
//                           stands for every table while installed, so serve one table at a
//                           time); from a folder the buffer is removed and the files are read;
//   - Read(ext, bytes)      the whole of MODEL.ext, for files read as a whole (grids, tables);
//   - ReadMdf(db, mdf)      the master data file, as CDBIO::ReadMdf reads it.
// A reader that reads several tables in one call cannot be served from an archive this way (one
// memory read buffer stands for every table); such readers (decks, whose property names come from
// further tables) read folders only.
// Inside an archive MODEL is the model's path within it without extension ("tower" for the
// entry "tower.sty", "models/tower" for "models/tower.sty"), either separator, any case of the
// extension; an entry whose name matches exactly wins over one that differs in case.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "archive/qel_unzip.h"
#include "dbio/dbio.h"

namespace qeldb {

// Opens `path` as a zip archive. False, with `error` in a user's words, when it cannot be: "cannot
// open PATH: no such file", "PATH is a directory, not a zip archive" or "PATH is not a readable
// zip archive". A damaged directory opens (CQelUnzip::IsDamaged says so).
bool OpenArchive(CQelUnzip& unzip, const std::string& path, std::string& error);

class TableSource {
 public:
  // Opens MODEL (any file of the model names it, model_name.h), from `archive` when it is not
  // empty. False, with `error` saying why, when the archive cannot be read.
  bool Open(const std::string& model, const std::string& archive, std::string& error);
  bool FromArchive() const { return !archive_.empty(); }
  // The database name: MODEL by the shared rule (model_name.h); inside an archive with '/'.
  const std::string& Model() const { return model_; }
  // How MODEL.ext is named in messages: its path, or "ARCHIVE:entry".
  std::string Describe(const char* ext) const;

  // A folder where MODEL.ext should be is no file: false, with *directory set when given.
  bool Exists(const char* ext, unsigned long long* bytes = nullptr, bool* directory = nullptr);
  // False when MODEL.ext is missing or cannot be read (too large, damaged); from an archive an
  // empty buffer is installed then, so the object's reads find nothing rather than the folder.
  bool Serve(CDBIO& db, const char* ext);
  bool Read(const char* ext, std::vector<unsigned char>& out);
  // False, with *mdf as CDBIO::ReadMdf leaves it, when the file is missing or unreadable.
  bool ReadMdf(CDBIO& db, SMDF* mdf);

 protected:
  std::string archive_, model_;

 private:
  // The entry standing for MODEL.ext, or null.
  const QelUnzipEntry* Entry(const char* ext);

  std::unique_ptr<CQelUnzip> unzip_;
  std::vector<unsigned char> served_;
};

}  // namespace qeldb
