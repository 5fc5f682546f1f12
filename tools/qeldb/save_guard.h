// The rules a command follows before it rewrites an existing file in place (mdf --save, and any
// other command that edits a model's file): what was read from a file that looks damaged may be a
// misreading, and saving would make it permanent; a read-only file is one its owner meant to keep,
// as an editor would respect. The writer itself (ReplaceFileAtomically) keeps the file's
// permission bits.
#pragma once

#include <cstddef>
#include <string>

namespace qeldb {

// True when `path` may be replaced. Without `force`, refuses -- failing with kExitUsage and
// saying why and that --force overrides -- when `findings` (the number of warnings printed about
// the file) is not zero, or when the file is read-only (its owner's write permission is off, or
// this process may not write it).
bool MayReplace(const std::string& path, std::size_t findings, bool force);

}  // namespace qeldb
