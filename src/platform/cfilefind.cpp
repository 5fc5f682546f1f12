#include "platform/cfilefind.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/file_time.h"
#include "platform/paths.h"

BOOL CFileFind::FindFile(const char* name, DWORD) {
  Close();
  const std::string path = qel::NativePath(name ? name : "*.*");
  const std::size_t slash = path.rfind('/');
  folder_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string mask = slash == std::string::npos ? path : path.substr(slash + 1);
  const bool all = mask == "*.*" || mask == "*";

  DIR* dir = ::opendir(folder_.empty() ? "." : folder_.c_str());
  if (!dir) return FALSE;
  while (const dirent* d = ::readdir(dir)) {
    if (!all && !qel::WildcardMatch(d->d_name, mask)) continue;
    Entry e;
    e.name = d->d_name;
    const std::string full = folder_ + e.name;
    struct stat st {};
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    e.size = static_cast<ULONGLONG>(st.st_size);
    e.directory = S_ISDIR(st.st_mode);
    e.readOnly = !(st.st_mode & S_IWUSR);
    e.writeTime = qel::FileTimeFromUnixNs(
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec);
    entries_.push_back(std::move(e));
  }
  ::closedir(dir);
  return entries_.empty() ? FALSE : TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (next_ >= entries_.size()) {
    current_ = nullptr;
    return FALSE;
  }
  current_ = &entries_[next_++];
  return next_ < entries_.size();
}

void CFileFind::Close() {
  entries_.clear();
  folder_.clear();
  next_ = 0;
  current_ = nullptr;
}

CString CFileFind::GetFileName() const {
  return current_ ? CString(current_->name.c_str()) : CString();
}

CString CFileFind::GetFilePath() const {
  return current_ ? CString((folder_ + current_->name).c_str()) : CString();
}

ULONGLONG CFileFind::GetLength() const { return current_ ? current_->size : 0; }
BOOL CFileFind::IsDirectory() const { return current_ && current_->directory; }
BOOL CFileFind::IsReadOnly() const { return current_ && current_->readOnly; }

BOOL CFileFind::IsDots() const {
  return current_ && current_->directory && (current_->name == "." || current_->name == "..");
}

BOOL CFileFind::GetLastWriteTime(FILETIME& time) const {
  if (!current_) return FALSE;
  time = current_->writeTime;
  return TRUE;
}
