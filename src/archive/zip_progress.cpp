#include "archive/zip_progress_internal.h"

#include "platform/resources.h"
#include "res/string_ids.h"

namespace {

// The dialog's line under the name, as its template has it.
constexpr const char* kItemLine = "File %1 of %2.";

void ReplaceFirst(std::string& text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

namespace qel {

ZipProgressSession::ZipProgressSession(bool show, HWND parent, const CString& title, int count) {
  if (!show) return;
  dialog_ = CreateZipProgress(parent);
  if (!dialog_) return;
  template_ = kItemLine;
  total_ = std::to_string(count);
  dialog_->SetItemRange(count);
  dialog_->SetCaption(title.IsEmpty() ? LoadResString(kIdsUnzipping).str() : title.str());
}

ZipProgressSession::~ZipProgressSession() = default;

void ZipProgressSession::Step(int number, const std::string& name) {
  if (!dialog_) return;
  std::string line = template_;
  ReplaceFirst(line, "%1", std::to_string(number));
  ReplaceFirst(line, "%2", total_);
  dialog_->SetItem(number, name, line);
  dialog_->PumpMessages();
}

void ZipProgressSession::BytesRange(ULONGLONG total) {
  if (dialog_) dialog_->SetBytesRange(total);
}

void ZipProgressSession::Bytes(ULONGLONG done) {
  if (!dialog_) return;
  dialog_->SetBytes(done);
  dialog_->PumpMessages();
}

}  // namespace qel
