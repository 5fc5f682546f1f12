#include "table_source.h"

#include "archive/string_utils.h"
#include "model_name.h"
#include "platform/cfile.h"
#include "platform/cmemfile.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace qeldb {
namespace {
constexpr BYTE kDirectoryAttribute = 0x10;  // CFileStatus::m_attribute of a folder
}  // namespace

bool OpenArchive(CQelUnzip& unzip, const std::string& path, std::string& error) {
  if (unzip.Open(path.c_str())) return true;
  CFileStatus status;
  if (!CFile::GetStatus(path.c_str(), status))
    error = "cannot open " + path + ": no such file";
  else if (status.m_attribute & kDirectoryAttribute)
    error = path + " is a directory, not a zip archive";
  else
    error = path + " is not a readable zip archive";
  return false;
}

bool TableSource::Open(const std::string& model, const std::string& archive, std::string& error) {
  archive_ = archive;
  model_ = ModelBase(model);
  if (!FromArchive()) return true;
  model_ = qel::NativePath(model_);
  while (model_.compare(0, 2, "./") == 0) model_.erase(0, 2);
  unzip_ = std::make_unique<CQelUnzip>();
  if (!OpenArchive(*unzip_, archive_, error)) return false;
  if (unzip_->IsDamaged()) {
    error = archive_ + ": the archive's directory is damaged";
    return false;
  }
  return true;
}

std::string TableSource::Describe(const char* ext) const {
  if (!FromArchive()) return model_ + "." + ext;
  return archive_ + ":" + model_ + "." + ext;
}

const QelUnzipEntry* TableSource::Entry(const char* ext) {
  const QelUnzipEntry* caseOnly = nullptr;
  const std::string wanted = lowerCaseString(model_ + "." + ext);
  for (const std::string& name : unzip_->GetPathsForExtension(ext)) {
    std::string candidate = qel::NativePath(name);
    if (candidate == model_ + "." + ext) return &unzip_->GetEntries().at(name);
    if (!caseOnly && lowerCaseString(candidate) == wanted)
      caseOnly = &unzip_->GetEntries().at(name);
  }
  return caseOnly;
}

bool TableSource::Exists(const char* ext, unsigned long long* bytes, bool* directory) {
  if (directory) *directory = false;
  if (!FromArchive()) {
    CFileStatus status;
    if (!CFile::GetStatus((model_ + "." + ext).c_str(), status)) return false;
    if (status.m_attribute & kDirectoryAttribute) {
      if (directory) *directory = true;
      return false;
    }
    if (bytes) *bytes = status.m_size;
    return true;
  }
  const QelUnzipEntry* e = Entry(ext);
  if (e && bytes) *bytes = e->info.uncompressed_size;
  return e != nullptr;
}

bool TableSource::Serve(CDBIO& db, const char* ext) {
  if (!FromArchive()) {
    db.SetMemoryReadBuffer(nullptr);
    return true;
  }
  const QelUnzipEntry* e = Entry(ext);
  const bool read = e && unzip_->ReadFileData(e->name, served_);
  if (!read) served_.clear();
  db.SetMemoryReadBuffer(&served_);
  return read;
}

bool TableSource::ReadMdf(CDBIO& db, SMDF* mdf) {
  if (!FromArchive()) return db.ReadMdf(mdf);
  std::vector<unsigned char> bytes;
  if (!Read("qel", bytes)) return false;
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  return db.ReadMdf(mdf, file);
}

bool TableSource::Read(const char* ext, std::vector<unsigned char>& out) {
  out.clear();
  if (!FromArchive()) return qel::ReadWholeFile(model_ + "." + ext, out);
  const QelUnzipEntry* e = Entry(ext);
  return e && unzip_->ReadFileData(e->name, out);
}

}  // namespace qeldb
