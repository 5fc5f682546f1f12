// Opening a file under a Windows share mode: the one place where a share mode becomes a lock.
//
// Contract: the file is opened with open(2) `flags` (O_CLOEXEC is added) and permissions 0666
// (before the umask) when created; a folder is refused with EISDIR; the lock is taken on the open
// file description (flock) without waiting, so a conflicting open fails at once with
// EWOULDBLOCK. Nothing is truncated here: callers that truncate do so after the lock is held, so
// a refused open never destroys another holder's data.
#pragma once

#include <string>

namespace qel {

enum class ShareLock { kNone, kShared, kExclusive };

// The descriptor, or -1 with the errno value in *err.
int OpenWithShareLock(const std::string& nativePath, int flags, ShareLock lock, int* err);

}  // namespace qel
