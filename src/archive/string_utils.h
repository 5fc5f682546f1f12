// String and path utilities shared by the archive code and exported to the suite's programs.
//
// Byte strings (std::string) and wide strings (std::wstring) alike. Both '\' and '/' count as path
// separators everywhere; where a separator is written it is '\'. Most operations come in two
// forms, one filling an output argument and one returning a new string; they behave the same.
// Everything here is pure except EnsurePathExists, which changes the process's current folder
// while it runs (restoring it before it returns): no other thread may rely on the current folder
// meanwhile.
#pragma once

#include <string>
#include <vector>

// Every character through tolower / toupper (the "C" locale; wide: towlower / towupper).
void lowerCaseString(const std::string& in, std::string& out);
std::string lowerCaseString(const std::string& in);
void lowerCaseString(const std::wstring& in, std::wstring& out);
std::wstring lowerCaseString(const std::wstring& in);
void upperCaseString(const std::string& in, std::string& out);
std::string upperCaseString(const std::string& in);
void upperCaseString(const std::wstring& in, std::wstring& out);
std::wstring upperCaseString(const std::wstring& in);
void convertStringToLowerCase(std::string& s);
void convertStringToLowerCase(std::wstring& s);
void convertStringToUpperCase(std::string& s);
void convertStringToUpperCase(std::wstring& s);

bool isPathSeparator(char c);
bool isPathSeparator(wchar_t c);

// Index of the last '\' or '/'; npos (the largest size value) when there is none.
std::string::size_type lastPathSeparatorInString(const std::string& path);
std::wstring::size_type lastPathSeparatorInString(const std::wstring& path);

// Text after the last separator; the whole path when there is none.
void filenameFromPathString(const std::string& path, std::string& out);
std::string filenameFromPathString(const std::string& path);
void filenameFromPathString(const std::wstring& path, std::wstring& out);
std::wstring filenameFromPathString(const std::wstring& path);

// Text before the last separator, then '\'; with no separator the whole path, then '\'.
void directoryFromPathString(const std::string& path, std::string& out);
std::string directoryFromPathString(const std::string& path);
void directoryFromPathString(const std::wstring& path, std::wstring& out);
std::wstring directoryFromPathString(const std::wstring& path);

// Text after the last '.'; the whole name when it has none.
void extensionFromFilename(const std::string& name, std::string& out);
std::string extensionFromFilename(const std::string& name);
void extensionFromFilename(const std::wstring& name, std::wstring& out);
std::wstring extensionFromFilename(const std::wstring& name);

// extensionFromFilename(filenameFromPathString(path)).
void extensionFromPath(const std::string& path, std::string& out);
std::string extensionFromPath(const std::string& path);
void extensionFromPath(const std::wstring& path, std::wstring& out);
std::wstring extensionFromPath(const std::wstring& path);

// `name` for an empty folder; otherwise folder, '\' unless it already ends in a separator, name.
void buildPathString(const std::string& folder, const std::string& name, std::string& out);
std::string buildPathString(const std::string& folder, const std::string& name);
void buildPathString(const std::wstring& folder, const std::wstring& name, std::wstring& out);
std::wstring buildPathString(const std::wstring& folder, const std::wstring& name);

// Replaces the first `from`, or every one when `all` is true.
void replaceStringCharacter(std::string& s, char from, char to, bool all);
void replaceStringCharacter(std::wstring& s, wchar_t from, wchar_t to, bool all);

// Appends the pieces of `text` between occurrences of `sep` to `parts` (not cleared first). An
// empty text appends nothing; a text ending in `sep` ends with an empty piece ("a," gives "a"
// and ""). An empty separator splits nothing: the text is one piece.
void componentsSeparatedByString(const std::string& text, const std::string& sep,
                                 std::vector<std::string>& parts);
void componentsSeparatedByString(const std::wstring& text, const std::wstring& sep,
                                 std::vector<std::wstring>& parts);

// Makes sure every folder of `path` exists, creating the missing ones in order; true on success.
// The current folder is the same afterwards. Fails when the current folder's path is longer than
// the platform's path limit (it could not be restored).
bool EnsurePathExists(const std::string& path);
bool EnsurePathExists(const std::wstring& path);

// `value` in fixed point with `decimals` decimals, then, when it holds a '.', trailing '0's and a
// trailing '.' removed: ftostr(2.5, 3) is "2.5", ftostr(3.0, 2) is "3". Negative decimals count
// as 0. A value whose fixed-point text would pass 127 characters is given with 17 significant
// digits in exponent form instead ("1.0000000000000001e+300"), never cut short.
std::string ftostr(double value, int decimals);
