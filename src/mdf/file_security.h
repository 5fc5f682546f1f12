// The process-wide file-security mode: whether files the library writes get an open access list
// (on Linux: permissions under which any user may read and write them, see platform/win_file.h).
//
// The mode is read from the settings file, section "FileSecurity", key "RemoveFileSecurity"
// (integer, default 0): 0 turns it off, 1 on; any other value leaves it unread, so the next
// request reads the file again. Once read it is kept for the life of the process. The record
// writer of CDBIO and the file helper of the table code both ask here, so neither depends on the
// other.
#pragma once

namespace qel {

enum FileSecurityMode : int {
  kFileSecurityUnread = 0,
  kFileSecurityOff = 1,
  kFileSecurityOn = 2,
};

// The mode, reading the settings file first while it is unread.
int LoadFileSecurityMode();
// The mode as it stands, without reading anything.
int CurrentFileSecurityMode();
// Forgets the mode (back to unread); for tests and hosts that switch settings files.
void ResetFileSecurityMode();

// When the mode is on and `path` has at least 4 characters, gives the file a null access list;
// true when that worked. With the mode off, true and nothing is done. The mode is loaded first.
bool ApplyFileSecurity(const char* path);

}  // namespace qel
