// CString: a counted string of single-byte characters with the subset of MFC's interface the
// library uses for names and paths at its exported interface.
//
// Contract: the text may hold any bytes except that conversion to `const char*` stops at the first
// NUL, as in MFC. Indices are zero-based; out-of-range Left/Mid/Right clamp instead of failing.
// Comparisons are byte-wise; the NoCase forms fold ASCII letters only.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win_types.h"

class CString {
 public:
  CString() = default;
  CString(const char* s) : s_(s ? s : "") {}  // NOLINT: implicit like MFC
  CString(const char* s, int n) : s_(s ? std::string(s, n < 0 ? 0 : n) : std::string()) {}
  CString(char c, int repeat = 1) : s_(repeat > 0 ? repeat : 0, c) {}  // NOLINT
  CString(const std::string& s) : s_(s) {}                             // NOLINT
  CString(std::string&& s) : s_(std::move(s)) {}                       // NOLINT
  CString(std::string_view s) : s_(s) {}                               // NOLINT

  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }

  char GetAt(int i) const { return s_.at(static_cast<size_t>(i)); }
  void SetAt(int i, char c) { s_.at(static_cast<size_t>(i)) = c; }
  char operator[](int i) const { return GetAt(i); }

  operator const char*() const { return s_.c_str(); }  // NOLINT: implicit like MFC
  const char* GetString() const { return s_.c_str(); }
  const std::string& str() const { return s_; }
  std::string& str() { return s_; }

  // printf-style formatting; replaces the contents.
  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* fmt, va_list args);
  void AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  CString Left(int n) const;
  CString Right(int n) const;
  CString Mid(int first) const;
  CString Mid(int first, int n) const;

  // -1 when not found.
  int Find(char c, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  int ReverseFind(char c) const;
  int FindOneOf(const char* set) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();
  CString& Trim(char c);
  CString& TrimLeft(char c);
  CString& TrimRight(char c);
  CString& TrimLeft(const char* set);
  CString& TrimRight(const char* set);

  int Replace(char from, char to);
  int Replace(const char* from, const char* to);
  int Remove(char c);
  int Insert(int index, char c);
  int Insert(int index, const char* s);
  int Delete(int index, int count = 1);

  int Compare(const char* s) const;
  int CompareNoCase(const char* s) const;

  // Raw buffer access: GetBuffer(n) guarantees room for n characters plus a NUL;
  // ReleaseBuffer(-1) takes the length from the first NUL.
  char* GetBuffer(int minLength = 0);
  char* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  // Loads string-table entry `id`; FALSE (and empty) when there is none.
  BOOL LoadString(UINT id);

  CString& operator=(const char* s) {
    s_ = s ? s : "";
    return *this;
  }
  CString& operator=(char c) {
    s_.assign(1, c);
    return *this;
  }
  CString& operator+=(const CString& s) {
    s_ += s.s_;
    return *this;
  }
  CString& operator+=(const char* s) {
    if (s) s_ += s;
    return *this;
  }
  CString& operator+=(char c) {
    s_ += c;
    return *this;
  }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) {
    return CString(std::string(a ? a : "") + b.s_);
  }
  friend CString operator+(const CString& a, char b) { return CString(a.s_ + b); }
  friend CString operator+(char a, const CString& b) { return CString(std::string(1, a) + b.s_); }

  friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
  friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
  friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }

 private:
  std::string s_;
};

// Case-insensitive (ASCII) comparison of two C strings, like _stricmp.
int StrCompareNoCase(const char* a, const char* b);

namespace qel {
// Copies `text` (null: "") into a fixed text field of `size` bytes as records hold them: cut to
// size - 1 characters, and every byte after the text zero, so no stale bytes are stored.
void CopyFixedText(char* field, std::size_t size, const char* text);
}  // namespace qel
