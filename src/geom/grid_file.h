// The model's grid-system file (database name + ".grs"): a 32-bit count followed by that many
// grid systems in their stored form. These free functions are what the model's table readers and
// writers, and the tools, go through.
//
// Contract:
// - LoadGridSystems/SaveGridSystems work on an open archive and pass CArchiveException and
//   CFileException through. A count that the remaining bytes cannot hold (or a negative one) is
//   an error before any system is read.
// - ReadGridSysFile never throws: it appends the file's systems to `out` only when the whole
//   file was read, so a bad file leaves `out` exactly as it was. Bytes after the last system the
//   count announces are not read; their number is reported for a caller that wants to warn.
// - WriteGridSysFile never throws: the file is replaced as a whole (ReplaceFileAtomically), so a
//   failure keeps the old file. Error texts name `path`, never a temporary file.
#pragma once

#include "geom/grid_sys.h"
#include "platform/carchive.h"
#include "platform/cstring.h"

namespace qel {

// Reads the count and the systems, appending each to `out`.
void LoadGridSystems(CArchive& ar, CArray<CGridSys, CGridSys&>& out);
// Writes the count and the systems (Save updates each system's nX and nY).
void SaveGridSystems(CArchive& ar, CArray<CGridSys, CGridSys&>& systems);

enum class GridFileResult { kRead, kMissing, kBad };

// kMissing when the file does not exist (out unchanged, no message); kBad with a description in
// *error when it cannot be opened or is not a valid grid-system file. On kRead, *trailing (when
// given) is the number of bytes after the last announced system.
GridFileResult ReadGridSysFile(const char* path, CArray<CGridSys, CGridSys&>& out,
                               CString* error = nullptr, ULONGLONG* trailing = nullptr);
// The same over a file already open (a CMemFile over bytes read from an archive, say): kRead or
// kBad, read from the file's current position.
GridFileResult ReadGridSysFile(CFile& file, CArray<CGridSys, CGridSys&>& out,
                               CString* error = nullptr, ULONGLONG* trailing = nullptr);
// true when written; otherwise false with a description in *error.
bool WriteGridSysFile(const char* path, CArray<CGridSys, CGridSys&>& systems,
                      CString* error = nullptr);

}  // namespace qel
