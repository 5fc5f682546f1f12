// Typed access to the suite's settings file ("quvol.ini", or "QELPlank.ini" for the single-beam
// sibling product).
//
// Finding the file: the first access (and every access while it has not been found) searches
//   1. $DEVINI followed directly by the file name (the variable ends in a separator);
//   2. <common application data>/Quarnel/Engineering/Kestavo/ (QELPlank/ for the sibling product);
//   3. the Windows folder (paths.h maps both folders onto Linux).
// When none exists the Windows-folder candidate becomes the path (writes create the file there) and
// the common-folder candidate is reported once per process in an error box:
//   "Could not find file: \n <candidate> \n Please contact Technical Support".
//
// Keys are text or the number of a string-table entry whose text is the key; with a non-zero metric
// flag the text of qel::kIdsMetric ("Metric") is appended. Reads always take a default, returned
// when the file or the key is missing. Flags are stored as "TRUE" and "FALSE" (qel::kIdsTRUE,
// qel::kIdsFALSE).
// Strings are read through a 256-byte buffer (at most 255 characters); the model-defaults readers
// in namespace qel use 10240 bytes.
//
// The process-wide state (path, found flag, sibling flag, common folder, reported paths) is
// guarded by one lock; the functions may be called from any thread.
#pragma once

#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/profile.h"
#include "platform/win_types.h"
#include "res/string_ids.h"

extern "C" {
// Searches for the settings file unless already found; returns the found flag (1 found, 0 not).
int LoadQUVOLiniPath();
// Full path of the settings file in `out` and 1 when found; else the bare file name and 0. `out`
// must hold MAX_PATH characters; paths longer than that are cut. A null `out` only searches.
int GetQuvolIniPath(char* out);
// Switch to the sibling product's file / back to the suite's; the next access searches again.
void UsePlankINIFile();
void UseTELUXINIFile();
// The profile reader itself on the settings file: fills `buffer`, returns the characters copied.
DWORD QuvolGetProfileString(const char* section, const char* key, const char* def, char* buffer,
                            DWORD size);
UINT QuvolGetProfileInt(const char* section, const char* key, int def);
}

// The suite's common data folder (<common application data>/Quarnel/Engineering/Kestavo, created
// when missing; the Windows folder when the platform has no common folder). Computed once.
CString GetTeluxCommonAppDataPath();

// Reading. `defaultId` 0 means an empty default.
CString QelGetProfileString(const char* section, UINT keyId, const char* def);
CString QelGetProfileString(const char* section, UINT keyId, int defaultId);
CString QelGetProfileString(const char* section, const char* key, const char* def);

// 1 when the stored text is "TRUE" in any case, else 0; a missing key gives `def` != 0.
int QelGetProfileBool(const char* section, const char* key, int def);
int QelGetProfileBool(const char* section, UINT keyId, int def);

// The profile integer reader (optional sign, leading decimal digits).
UINT QelGetProfileInt(const char* section, UINT keyId, int def);
UINT QelGetProfileInt(const char* section, const char* key, int def);

// The stored text (or the default text) read as a decimal number; text that is not a number gives
// 0. A double default is first written as text with "%g".
double QelGetProfileDouble(const char* section, const char* key, const char* def);
double QelGetProfileDouble(const char* section, UINT keyId, const char* def, int metric = 0);
double QelGetProfileDouble(const char* section, const char* key, double def);
double QelGetProfileDouble(const char* section, UINT keyId, double def, int metric = 0);

// As QelGetProfileDouble, converted to float.
float QelGetProfileFloat(const char* section, const char* key, const char* def);
float QelGetProfileFloat(const char* section, UINT keyId, const char* def, int metric = 0);
float QelGetProfileFloat(const char* section, const char* key, double def);
float QelGetProfileFloat(const char* section, UINT keyId, double def, int metric = 0);

// Writing: non-zero on success, 0 on failure.
BOOL QelWriteProfileString(const char* section, const char* key, const char* value);
BOOL QelWriteProfileString(const char* section, UINT keyId, const char* value);
BOOL QelWriteProfileInt(const char* section, UINT keyId, int value);           // "%d"
BOOL QelWriteProfileInt(const char* section, const char* key, int value);      // "%d"
BOOL QelWriteProfileFloat(const char* section, const char* key, float value);  // "%f"
// `format` null: "%1.3f".
BOOL QelWriteProfileFloat(const char* section, UINT keyId, float value,
                          const char* format = nullptr, int metric = 0);
BOOL QelWriteProfileDouble(const char* section, UINT keyId, double value,
                           const char* format = nullptr, int metric = 0);
BOOL QelWriteProfileBool(const char* section, const char* key, int value);  // "TRUE"/"FALSE"
BOOL QelWriteProfileBool(const char* section, UINT keyId, int value);

namespace qel {

// The settings file's candidate paths in search order ($DEVINI's when set, the common folder's
// when the platform has one, the Windows folder's), for telling a user where it was looked for.
std::vector<std::string> SettingsSearchPaths();

// Returns the settings state to that of a fresh process: not found, no path, the suite's own file,
// common folder not computed, no path reported missing. Also empties the profile cache. For tests
// and for hosts that change the folders (paths.h) at run time.
void ResetSettingsState();

// The settings file as one read finds it (platform/profile.h), searched for first when it has not
// been found yet.
ProfileSnapshot SettingsSnapshot();

// The key text of `keyId`, with "Metric" appended when `metric` is non-zero.
CString SettingsKey(UINT keyId, int metric = 0);

// The readers the model defaults use: as the public ones, but strings go through a 10240-byte
// buffer (at most 10239 characters) and the flag reader passes "TRUE" or "FALSE" as default text.
constexpr DWORD kModelDefaultsBufferSize = 10240;
CString DefaultsGetProfileString(const char* section, UINT keyId, const char* def, int metric = 0);
CString DefaultsGetProfileString(const char* section, const char* key, const char* def);
UINT DefaultsGetProfileInt(const char* section, UINT keyId, int def, int metric = 0);
int DefaultsGetProfileBool(const char* section, UINT keyId, int def, int metric = 0);
double DefaultsGetProfileDouble(const char* section, UINT keyId, const char* def, int metric = 0);
double DefaultsGetProfileDouble(const char* section, UINT keyId, double def, int metric = 0);
float DefaultsGetProfileFloat(const char* section, UINT keyId, const char* def, int metric = 0);
float DefaultsGetProfileFloat(const char* section, UINT keyId, double def, int metric = 0);

// The decimal reading used for doubles: leading blanks skipped, an optional sign, digits with an
// optional fraction and exponent; trailing text ignored; no number = 0.
double ParseSettingsDouble(const char* text);

}  // namespace qel
