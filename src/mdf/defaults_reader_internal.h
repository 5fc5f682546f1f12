// Where the model defaults read and write their settings: the suite's settings file, unless a
// host or a test installed its own reader or writer (CQelMDF::SetProfileReader/SetProfileWriter).
//
// A DefaultsReadBatch makes a run of reads one logical read of the settings file: while one lives
// on a thread, reads through ReadDefault go to one snapshot of the file (taken when the outermost
// batch starts), which costs a lookup per key instead of a path search, a lock and a cache check.
// With an installed reader the batch is only a profile read session and reads go to the reader.
#pragma once

#include <optional>
#include <string>

#include "platform/profile.h"

namespace qel {

// The text of `key` in `section`, or `def` (null: "") when the file or the key is missing; as the
// settings file's model-defaults reader gives it (at most 10239 characters, ending at a NUL).
std::string ReadDefault(const char* section, const char* key, const char* def);

// Writes through the installed writer; true when written.
bool WriteDefault(const char* section, const char* key, const char* value);

class DefaultsReadBatch {
 public:
  DefaultsReadBatch();
  ~DefaultsReadBatch();
  DefaultsReadBatch(const DefaultsReadBatch&) = delete;
  DefaultsReadBatch& operator=(const DefaultsReadBatch&) = delete;

  // The snapshot the reads of this thread go to, or null when a reader is installed.
  const ProfileSnapshot* Snapshot() const;

 private:
  ProfileReadSession session_;
  std::optional<ProfileSnapshot> snapshot_;  // taken by the outermost batch only
};

}  // namespace qel
