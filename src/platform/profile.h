// Profile (INI) files: the Win32 private-profile calls the suite's settings files were written for.
//
// File format, as read here:
//   - lines end in LF or CRLF; a UTF-8 byte-order mark at the start is skipped;
//   - "[name]" (leading blanks allowed) opens a section; text after the first ']' is ignored;
//   - "key=value" inside a section is a key; key and value are trimmed of blanks; a value enclosed
//     in matching single or double quotes loses them when read;
//   - lines starting with ';', lines without '=', and keys before the first section are not keys;
//   - section and key names match without regard to (ASCII) case; the first of duplicate sections,
//     and the first of duplicate keys in a section, is the one read and written.
// A file name without a folder ("quvol.ini") is looked up in the Windows folder (paths.h); '\' and
// '/' are both separators.
//
// Reading: the file is parsed once and cached by path and identity (size, mtime, inode, device);
// a later read costs one stat, and none inside a read session (qel::ProfileReadSession). A file
// whose mtime lies within a few seconds of when it was last checked is compared by content on each
// read, because two writes inside one tick of the file system's clock can leave size and mtime
// unchanged. Files larger than 64 MiB are refused (read as missing, never overwritten).
//
// Writing: the new contents are built from the old bytes, changing only the key's value (or
// deleting one line or one section); lines added end with CRLF. The file is replaced atomically
// (temporary file + rename), so a crash leaves either the old or the new file. A write creates the
// file when its folder exists. Names and values that could not be read back as written are refused:
// CR or LF anywhere, ']' in a section name, '=' in a key, a key starting with ';' or '['.
//
// All functions are safe to call from several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win_types.h"

// Copies the value of `key` in `section` of `file` into `buffer` (at most size-1 characters plus a
// NUL) and returns the number of characters copied. A missing file, section or key gives `def`
// (null: "") without its trailing blanks. A null `section` lists the file's section names, a null
// `key` the section's key names: each name NUL-terminated, the list ended by a second NUL; when the
// list does not fit it is cut and size-2 is returned.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size,
                               LPCSTR file);

// The value of `key` read as an integer: an optional sign followed by decimal digits, anything
// after them ignored, no digits = 0; arithmetic wraps at 32 bits. A missing or empty value gives
// `def`.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file);

// Sets `key` in `section` to `value`, adding the key or the section when missing. A null `value`
// deletes the key, a null `key` deletes the whole section (header and every line up to the next
// section); deleting what is not there succeeds without touching the file. A null `section` with
// null key and value is a flush request and succeeds; other uses of a null section fail. Returns
// non-zero on success, 0 when the file could not be read or written.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

namespace qel {

// The path a profile call uses for `file`: the Windows folder for a bare file name, else the name
// with '\' turned into '/'. "" for a null or empty name.
std::string ProfilePath(const char* file);

// Forgets every cached file (the next read of each parses it again, in a session too).
void ClearProfileCache();

// A read session: one logical read of a batch of values, such as a new model's ~800 defaults.
// While one is open on a thread, the first read of each file on that thread checks the file as
// usual and later reads of it take that result without asking the file system again. A change
// made meanwhile by another program may be seen or not, exactly as if the reads had all run a
// moment earlier, at the first read; once the outermost session on the thread ends, every read
// checks the file again. Writes by this process (through WritePrivateProfileStringA, from any
// thread, to any file) and ClearProfileCache end that trust at once: the next read of each file in
// any session checks it again, so a session always sees its own writes.
// Sessions nest (the outermost one decides when the trust ends) and belong to the thread that
// opened them; other threads read as before. Create and destroy on the same thread.
class ProfileReadSession {
 public:
  ProfileReadSession();
  ~ProfileReadSession();
  ProfileReadSession(const ProfileReadSession&) = delete;
  ProfileReadSession& operator=(const ProfileReadSession&) = delete;
};

// GetPrivateProfileStringA for a named section and key, without a caller buffer: `out` receives
// exactly what a buffer of `size` bytes would hold before its NUL (the value or the default, cut
// to size-1 characters) and its length is returned. A null section or key, or size 0, gives "".
DWORD GetProfileValue(LPCSTR section, LPCSTR key, LPCSTR def, DWORD size, LPCSTR file,
                      std::string& out);

// One profile file's contents as one read finds them (checked against the file, or inside a read
// session trusted as the session trusts it), for a batch of lookups that should not each pay a
// path mapping, a lock and a cache check. Later changes of the file, by this process too, are not
// seen through it. Cheap to copy; safe to keep; one snapshot object is for one thread at a time.
class ProfileSnapshot {
 public:
  explicit ProfileSnapshot(LPCSTR file);
  // What GetPrivateProfileStringA would copy for a named section and key, before any cut to a
  // buffer's size: the stored value, else `def` (null: "") without its trailing blanks. The view
  // points into the snapshot or into `def`.
  std::string_view Value(LPCSTR section, LPCSTR key, LPCSTR def) const;
  // Names these contents: equal for two snapshots of the same parse of the same bytes, different
  // after the file changed (or was parsed again); 0 when the file is missing or unreadable.
  std::uint64_t ContentId() const;

 private:
  std::shared_ptr<const void> contents_;
  mutable bool lastSectionKnown_ = false;
  mutable std::string lastSectionName_;        // the section looked up last
  mutable const void* lastSection_ = nullptr;  // and what it found
};

// Counters of the cache, for tests and benchmarks: files parsed, content re-checks made, and
// identity checks (stats) of files.
struct ProfileCacheStats {
  std::uint64_t parses = 0;
  std::uint64_t contentChecks = 0;
  std::uint64_t identityChecks = 0;
};
ProfileCacheStats GetProfileCacheStats();

}  // namespace qel
