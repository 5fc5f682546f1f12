#include "platform/carchive.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Values are copied to and from the buffer as they lie in memory; the files are little-endian.
static_assert(std::endian::native == std::endian::little, "CArchive assumes a little-endian host");

CString CArchiveException::GetErrorMessage() const {
  static const char* const kText[] = {
      "no error",
      "an unspecified archive error occurred",
      "the archive was opened for loading and cannot be written",
      "the archive ended before the data it announces",
      "the archive was opened for storing and cannot be read",
      "the archive holds an invalid index",
      "the archive holds an unexpected class",
      "the archive holds an unsupported version",
      "the archive buffer is full",
  };
  const char* what = (m_cause >= 0 && m_cause <= bufferFull) ? kText[m_cause] : kText[1];
  CString text;
  if (m_strFileName.IsEmpty())
    text = what;
  else
    text.Format("%s: %s", m_strFileName.GetString(), what);
  return text;
}

CArchive::CArchive(CFile* file, UINT mode, int bufSize, void* /*buf*/)
    : file_(file), mode_(mode), buf_(static_cast<std::size_t>(std::max(bufSize, 128))) {
  if (file_ == nullptr) Throw(CArchiveException::genericException);
}

CArchive::~CArchive() {
  if (file_ != nullptr && IsStoring() && !(mode_ & bNoFlushOnDelete)) {
    try {
      Flush();
    } catch (...) {
      // A destructor cannot report; callers that must know call Close() first.
    }
  }
}

void CArchive::Throw(int cause) const {
  throw CArchiveException(cause, file_ != nullptr ? file_->GetFilePath().GetString() : nullptr);
}

void CArchive::CheckUsable() const {
  if (file_ == nullptr) Throw(CArchiveException::genericException);
}

void CArchive::Write(const void* buffer, UINT count) {
  CheckUsable();
  if (IsLoading()) Throw(CArchiveException::readOnly);
  const auto* p = static_cast<const unsigned char*>(buffer);
  while (count > 0) {
    if (cur_ == buf_.size()) Flush();
    std::size_t n = std::min<std::size_t>(count, buf_.size() - cur_);
    std::memcpy(buf_.data() + cur_, p, n);
    cur_ += n;
    p += n;
    count -= static_cast<UINT>(n);
  }
}

void CArchive::Flush() {
  CheckUsable();
  if (IsLoading() || cur_ == 0) return;
  file_->Write(buf_.data(), static_cast<UINT>(cur_));
  cur_ = 0;
}

UINT CArchive::Read(void* buffer, UINT count) {
  CheckUsable();
  if (IsStoring()) Throw(CArchiveException::writeOnly);
  auto* p = static_cast<unsigned char*>(buffer);
  UINT done = 0;
  while (done < count) {
    if (cur_ == end_) {
      // Large requests bypass the buffer; small ones refill it.
      if (count - done >= buf_.size()) {
        UINT n = file_->Read(p + done, count - done);
        done += n;
        break;
      }
      end_ = file_->Read(buf_.data(), static_cast<UINT>(buf_.size()));
      cur_ = 0;
      if (end_ == 0) break;
    }
    std::size_t n = std::min<std::size_t>(count - done, end_ - cur_);
    std::memcpy(p + done, buf_.data() + cur_, n);
    cur_ += n;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CArchive::ReadExact(void* buffer, std::size_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    UINT chunk = static_cast<UINT>(std::min<std::size_t>(count, 1u << 30));
    if (Read(p, chunk) != chunk) Throw(CArchiveException::endOfFile);
    p += chunk;
    count -= chunk;
  }
}

ULONGLONG CArchive::GetBytesLeft() const {
  CheckUsable();
  if (IsStoring()) return 0;
  ULONGLONG length = file_->GetLength();
  ULONGLONG position = file_->GetPosition();
  ULONGLONG rest = length > position ? length - position : 0;
  return rest + (end_ - cur_);
}

void CArchive::Close() {
  if (file_ == nullptr) return;
  if (IsStoring()) Flush();
  file_ = nullptr;
}

void CArchive::Abort() {
  file_ = nullptr;
  cur_ = end_ = 0;
}

CArchive& CArchive::operator>>(bool& v) {
  BYTE b = 0;
  Get(b);
  v = b != 0;
  return *this;
}

void CArchive::WriteStringLength(ULONGLONG length) {
  if (length < 255) {
    *this << static_cast<BYTE>(length);
    return;
  }
  *this << static_cast<BYTE>(0xFF);
  if (length < 0xFFFE) {
    *this << static_cast<WORD>(length);
    return;
  }
  *this << static_cast<WORD>(0xFFFF);
  if (length < 0xFFFFFFFFu) {
    *this << static_cast<DWORD>(length);
    return;
  }
  *this << static_cast<DWORD>(0xFFFFFFFFu);
  *this << length;
}

ULONGLONG CArchive::ReadStringLength(bool* wide) {
  *wide = false;
  for (;;) {
    BYTE b = 0;
    *this >> b;
    if (b < 0xFF) return b;
    WORD w = 0;
    *this >> w;
    if (w == 0xFFFE) {
      // The marker of 16-bit characters; the real length prefix follows. A second marker is
      // not a valid string.
      if (*wide) Throw(CArchiveException::genericException);
      *wide = true;
      continue;
    }
    if (w < 0xFFFF) return w;
    DWORD d = 0;
    *this >> d;
    if (d < 0xFFFFFFFFu) return d;
    ULONGLONG q = 0;
    *this >> q;
    return q;
  }
}

CArchive& CArchive::operator<<(const CString& s) {
  WriteStringLength(static_cast<ULONGLONG>(s.GetLength()));
  Write(s.GetString(), static_cast<UINT>(s.GetLength()));
  return *this;
}

CArchive& CArchive::operator>>(CString& s) {
  bool wide = false;
  ULONGLONG length = ReadStringLength(&wide);
  ULONGLONG bytes = wide ? length * 2 : length;
  // Checked before anything is allocated: a corrupt prefix must not become a huge string.
  if ((wide && length > (~0ull >> 1)) || bytes > GetBytesLeft())
    Throw(CArchiveException::endOfFile);
  std::string text;
  if (!wide) {
    text.resize(static_cast<std::size_t>(length));
    ReadExact(text.data(), text.size());
  } else {
    text.reserve(static_cast<std::size_t>(length));
    for (ULONGLONG i = 0; i < length; ++i) {
      WORD c = 0;
      *this >> c;
      text.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
  }
  s = CString(std::move(text));
  return *this;
}
