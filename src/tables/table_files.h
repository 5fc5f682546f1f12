// Where table files are found and how they are opened.
//
// A model works on its own copy of each shared table, kept beside it under the model's name with
// the table's working extension ("sbcel" for "cel", every other extension itself, "2" appended
// for a second copy). Without a model the table is taken from the tables folder of the settings
// file (section "Directories", key "tables"). In Plank mode (master_table.h) the sibling
// product's settings file is used and the tables folder always.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win_types.h"

// Writes the working extension of `ext` (plus "2" when `second` is non-zero) into `out`, which
// must hold it: the extension and 2 more characters, and at least 7.
void GetTableWorkingExtension(const char* ext, int second, char* out);

// Opens a table for reading (shared read, open existing) through CreateFileNoSecurity: with a
// model path (Plank mode aside), the model's working copy -- the path with a final ".qel" (any
// case) removed, "." and the working extension appended -- and nothing else; without one,
// tables folder + "\" + tableName + "." + ext. INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenTableFile(const char* tableName, const char* modelPath, const char* ext, int second);
// The same, as a C stream in text mode; null (the handle closed) when that fails.
std::FILE* OpenTableFilePtr(const char* tableName, const char* modelPath, const char* ext,
                            int second);

namespace qel {
// The working extension of `ext`, "2" appended when `second` is non-zero.
std::string WorkingExtension(const char* ext, int second);
// The tables folder as the settings file gives it (at most 256 characters), "" when unset. The
// settings file is searched for first if need be.
std::string TablesFolder();
// Reads the rest of an open table file into `out` and closes the handle. False when it cannot be
// read or is larger than kMaxBinaryTableBytes (no vendor table comes near it).
constexpr unsigned long long kMaxBinaryTableBytes = 256ull << 20;
bool ReadTableHandle(HANDLE handle, std::vector<unsigned char>& out);
// The model's working-copy path of a table: `modelPath` without a final ".qel" (any case, only
// when that '.' follows every separator), "." and the working extension.
std::string WorkingCopyPath(const char* modelPath, const char* ext, int second);
}  // namespace qel
