// The progress dialog of one Zip or Unzip call: created through the platform's factory when the
// caller asked for progress, fed the "File n of m." steps both directions share, and deleted when
// the call ends. Without a dialog every call here does nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/cstring.h"
#include "platform/progress.h"

namespace qel {

class ZipProgressSession {
 public:
  // With `show`, makes the dialog for `parent`: caption `title`, or when that is empty string
  // 27358 ("Unzipping..."), and an items bar of `count` items.
  ZipProgressSession(bool show, HWND parent, const CString& title, int count);
  ~ZipProgressSession();
  ZipProgressSession(const ZipProgressSession&) = delete;
  ZipProgressSession& operator=(const ZipProgressSession&) = delete;

  bool Active() const { return dialog_ != nullptr; }
  // Item `number` (1-based) named `name`: the items bar, the name and the dialog's line
  // "File %1 of %2." with %1 the number and %2 the count; then pending messages are pumped.
  void Step(int number, const std::string& name);
  void BytesRange(ULONGLONG total);
  // Moves the bytes bar and pumps pending messages.
  void Bytes(ULONGLONG done);

 private:
  std::unique_ptr<CZipProgress> dialog_;
  std::string template_;
  std::string total_;
};

}  // namespace qel
