#include "platform/cstring.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "res/string_table.h"

namespace {

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

std::string VFormat(const char* fmt, va_list args) {
  if (!fmt) return {};
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (n < static_cast<int>(sizeof small)) return std::string(small, n);
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), fmt, args);
  out.resize(static_cast<size_t>(n));
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

int StrCompareNoCase(const char* a, const char* b) {
  a = a ? a : "";
  b = b ? b : "";
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

void CString::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  s_ = VFormat(fmt, args);
  va_end(args);
}

void CString::FormatV(const char* fmt, va_list args) { s_ = VFormat(fmt, args); }

void CString::AppendFormat(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  s_ += VFormat(fmt, args);
  va_end(args);
}

CString CString::Left(int n) const { return CString(s_.substr(0, Clamp(n, 0, GetLength()))); }

CString CString::Right(int n) const {
  int k = Clamp(n, 0, GetLength());
  return CString(s_.substr(s_.size() - static_cast<size_t>(k)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int n) const {
  int f = Clamp(first, 0, GetLength());
  int k = Clamp(n, 0, GetLength() - f);
  return CString(s_.substr(static_cast<size_t>(f), static_cast<size_t>(k)));
}

int CString::Find(char c, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t p = s_.find(c, static_cast<size_t>(start));
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  size_t p = s_.find(sub, static_cast<size_t>(start));
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
  size_t p = s_.rfind(c);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char* set) const {
  if (!set) return -1;
  size_t p = s_.find_first_of(set);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

CString& CString::MakeUpper() {
  for (char& c : s_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return *this;
}

CString& CString::MakeLower() {
  for (char& c : s_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(s_.begin(), s_.end());
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft() {
  size_t i = 0;
  while (i < s_.size() && IsBlank(s_[i])) ++i;
  s_.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  while (!s_.empty() && IsBlank(s_.back())) s_.pop_back();
  return *this;
}

CString& CString::Trim(char c) { return TrimRight(c).TrimLeft(c); }

CString& CString::TrimLeft(char c) {
  size_t i = 0;
  while (i < s_.size() && s_[i] == c) ++i;
  s_.erase(0, i);
  return *this;
}

CString& CString::TrimRight(char c) {
  while (!s_.empty() && s_.back() == c) s_.pop_back();
  return *this;
}

CString& CString::TrimLeft(const char* set) {
  if (!set) return *this;
  size_t i = s_.find_first_not_of(set);
  s_.erase(0, i == std::string::npos ? s_.size() : i);
  return *this;
}

CString& CString::TrimRight(const char* set) {
  if (!set) return *this;
  size_t i = s_.find_last_not_of(set);
  s_.erase(i == std::string::npos ? 0 : i + 1);
  return *this;
}

int CString::Replace(char from, char to) {
  int n = 0;
  for (char& c : s_)
    if (c == from) {
      c = to;
      ++n;
    }
  return n;
}

int CString::Replace(const char* from, const char* to) {
  if (!from || !*from) return 0;
  std::string repl = to ? to : "";
  size_t flen = std::strlen(from);
  int n = 0;
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = s_.find(from, pos)) != std::string::npos; pos = hit + flen) {
    out.append(s_, pos, hit - pos);
    out += repl;
    ++n;
  }
  if (n == 0) return 0;
  out.append(s_, pos, std::string::npos);
  s_ = std::move(out);
  return n;
}

int CString::Remove(char c) {
  size_t before = s_.size();
  s_.erase(std::remove(s_.begin(), s_.end(), c), s_.end());
  return static_cast<int>(before - s_.size());
}

int CString::Insert(int index, char c) {
  s_.insert(static_cast<size_t>(Clamp(index, 0, GetLength())), 1, c);
  return GetLength();
}

int CString::Insert(int index, const char* s) {
  if (s) s_.insert(static_cast<size_t>(Clamp(index, 0, GetLength())), s);
  return GetLength();
}

int CString::Delete(int index, int count) {
  int f = Clamp(index, 0, GetLength());
  int k = Clamp(count, 0, GetLength() - f);
  s_.erase(static_cast<size_t>(f), static_cast<size_t>(k));
  return GetLength();
}

int CString::Compare(const char* s) const {
  int r = std::strcmp(s_.c_str(), s ? s : "");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* s) const { return StrCompareNoCase(s_.c_str(), s); }

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) s_.resize(static_cast<size_t>(minLength));
  return s_.data();
}

char* CString::GetBufferSetLength(int length) {
  s_.resize(static_cast<size_t>(std::max(length, 0)));
  return s_.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    s_.resize(std::strlen(s_.c_str()));
  } else {
    s_.resize(static_cast<size_t>(std::min(newLength, GetLength())));
  }
}

BOOL CString::LoadString(UINT id) {
  const char* text = qel::FindResString(id);
  s_ = text ? text : "";
  return text ? TRUE : FALSE;
}

void qel::CopyFixedText(char* field, std::size_t size, const char* text) {
  if (field == nullptr || size == 0) return;
  std::size_t n = text ? std::strlen(text) : 0;
  if (n > size - 1) n = size - 1;
  if (n) std::memcpy(field, text, n);
  std::memset(field + n, 0, size - n);
}
