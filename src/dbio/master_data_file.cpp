// CDBIO's master data members: the model's ".qel" file, read and written by the master data
// layer (mdf/master_data_file.h).
#include "mdf/master_data_file.h"

#include "dbio/dbio.h"
#include "platform/cfile.h"
#include "platform/ctime.h"

namespace {

constexpr char kMdfExt[] = "qel";

}  // namespace

bool CDBIO::IsXml(CFile& file) { return qel::IsXmlMdf(file); }

float CDBIO::ReadMdfVersion(CFile& file) { return qel::ReadMdfFileVersion(file); }

bool CDBIO::ReadMdf(SMDF* mdf) {
  if (mdf == nullptr) return false;
  CFile file;
  if (!file.Open(RecordFilePath(kMdfExt),
                 CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
    return false;
  return ReadMdf(mdf, file);
}

bool CDBIO::ReadMdf(SMDF* mdf, CFile& file) {
  return mdf != nullptr && qel::ReadMdfFile(file, *mdf);
}

bool CDBIO::WriteMdf(SMDF* mdf) {
  return mdf != nullptr && qel::SaveMdfFile(RecordFilePath(kMdfExt), *mdf);
}

bool CDBIO::WriteMdf(SMDF* mdf, CFile& file) {
  return mdf != nullptr && qel::WriteMdfFile(file, *mdf);
}

void CDBIO::UpdateTimeStamp(SMDF* mdf) {
  if (mdf == nullptr) return;
  qel::StampMdf(mdf, CTime::GetCurrentTime());
  WriteMdf(mdf);
}
