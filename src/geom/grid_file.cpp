#include "geom/grid_file.h"

#include "platform/cfile.h"
#include "platform/cmemfile.h"
#include "platform/file_system.h"

namespace qel {

void LoadGridSystems(CArchive& ar, CArray<CGridSys, CGridSys&>& out) {
  std::int32_t n = ReadBoundedCount(ar, CGridSys::kMinStoredBytes);
  for (std::int32_t k = 0; k < n; ++k) {
    CGridSys sys;
    sys.Load(ar);
    out.Add(sys);
  }
}

void SaveGridSystems(CArchive& ar, CArray<CGridSys, CGridSys&>& systems) {
  ar << static_cast<std::int32_t>(systems.GetSize());
  for (int k = 0; k < systems.GetSize(); ++k) systems.ElementAt(k).Save(ar);
}

namespace {

void SetError(CString* error, const CString& text) {
  if (error != nullptr) *error = text;
}

}  // namespace

GridFileResult ReadGridSysFile(const char* path, CArray<CGridSys, CGridSys&>& out, CString* error,
                               ULONGLONG* trailing) {
  CFile file;
  CFileException fe;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &fe)) {
    if (fe.m_cause == CFileException::fileNotFound) return GridFileResult::kMissing;
    SetError(error, fe.GetErrorMessage());
    return GridFileResult::kBad;
  }
  return ReadGridSysFile(file, out, error, trailing);
}

GridFileResult ReadGridSysFile(CFile& file, CArray<CGridSys, CGridSys&>& out, CString* error,
                               ULONGLONG* trailing) {
  CArray<CGridSys, CGridSys&> loaded;
  try {
    CArchive ar(&file, CArchive::load);
    LoadGridSystems(ar, loaded);
    if (trailing != nullptr) *trailing = ar.GetBytesLeft();
  } catch (const CArchiveException& e) {
    SetError(error, e.GetErrorMessage());
    return GridFileResult::kBad;
  } catch (const CFileException& e) {
    SetError(error, e.GetErrorMessage());
    return GridFileResult::kBad;
  }
  for (int k = 0; k < loaded.GetSize(); ++k) out.Add(loaded.ElementAt(k));
  return GridFileResult::kRead;
}

bool WriteGridSysFile(const char* path, CArray<CGridSys, CGridSys&>& systems, CString* error) {
  CMemFile image;
  try {
    CArchive ar(&image, CArchive::store);
    SaveGridSystems(ar, systems);
    ar.Close();
  } catch (const CArchiveException& e) {
    SetError(error, CArchiveException(e.m_cause, path).GetErrorMessage());
    return false;
  }
  int err = 0;
  if (qel::ReplaceFileAtomically(path, image.Data().data(), image.Data().size(), &err)) return true;
  SetError(error,
           CFileException(CFileException::OsErrorToException(err), err, path).GetErrorMessage());
  return false;
}

}  // namespace qel
