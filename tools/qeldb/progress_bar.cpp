#include "progress_bar.h"

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/progress.h"
#include "platform/terminal.h"
#include "progress.h"

namespace qeldb {
namespace {

constexpr std::int64_t kRedrawNs = 100'000'000;

class ZipProgressBar : public CZipProgress {
 public:
  void SetCaption(const std::string& caption) override { bar_.emplace(caption); }
  void SetItemRange(int count) override { count_ = count; }
  void SetItem(int number, const std::string& name, const std::string&) override {
    number_ = number;
    name_ = name;
    bytes_ = total_ = 0;
    Draw(true);
  }
  void SetBytesRange(ULONGLONG total) override { total_ = total; }
  void SetBytes(ULONGLONG done) override {
    bytes_ = done;
    Draw(false);
  }

 private:
  void Draw(bool now) {
    const std::int64_t t = qel::NowNs();
    if (!bar_ || (!now && t - last_ < kRedrawNs)) return;
    last_ = t;
    const int percent = total_ ? static_cast<int>(bytes_ * 100 / total_) : 0;
    bar_->Update(number_, count_, name_ + " " + std::to_string(percent) + "%");
  }

  std::optional<ProgressBar> bar_;
  int count_ = 0, number_ = 0;
  std::string name_;
  ULONGLONG bytes_ = 0, total_ = 0;
  std::int64_t last_ = 0;
};

}  // namespace

void InstallProgressBar() {
  if (!ShowProgress()) return;
  qel::SetZipProgressFactory([](HWND) { return std::make_unique<ZipProgressBar>(); });
}

bool ShowProgress() { return qel::IsTerminal(2); }

}  // namespace qeldb
