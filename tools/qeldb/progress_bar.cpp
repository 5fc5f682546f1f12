#include "progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/progress.h"
#include "platform/terminal.h"

namespace qeldb {
namespace {

constexpr std::int64_t kRedrawNs = 100'000'000;

class TerminalBar : public CZipProgress {
 public:
  ~TerminalBar() override {
    // Clear the line: the bar is a view of work in progress, not a record of it.
    if (drawn_) std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
  }
  void SetCaption(const std::string&) override {}
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
    if (!now && t - last_ < kRedrawNs) return;
    last_ = t;
    const int columns = qel::TerminalColumns(qel::StdStream::kErr);
    const int width = std::clamp(columns / 4, 10, 40);
    const double files = count_ > 0 ? (number_ - 1 + Fraction()) / count_ : 0.0;
    const int filled = std::clamp(static_cast<int>(files * width + 0.5), 0, width);
    std::string line(1, '[');
    line.append(filled, '#').append(width - filled, '-').append("] ");
    line.append(std::to_string(number_)).append(1, '/').append(std::to_string(count_)).append("  ");
    const std::string percent = "  " + std::to_string(static_cast<int>(Fraction() * 100)) + "%";
    // The name gets what is left of the line, shortened from the front.
    const int room = columns - 1 - static_cast<int>(line.size() + percent.size());
    std::string name = name_;
    if (room < 4) {
      name.clear();
    } else if (static_cast<int>(name.size()) > room) {
      name = "..." + name.substr(name.size() - (room - 3));
    }
    std::fprintf(stderr, "\r%s%s%s\033[K", line.c_str(), name.c_str(), percent.c_str());
    std::fflush(stderr);
    drawn_ = true;
  }
  double Fraction() const {
    return total_ ? static_cast<double>(bytes_) / static_cast<double>(total_) : 0.0;
  }

  int count_ = 0, number_ = 0;
  std::string name_;
  ULONGLONG bytes_ = 0, total_ = 0;
  std::int64_t last_ = 0;
  bool drawn_ = false;
};

}  // namespace

void InstallProgressBar() {
  if (!ShowProgress()) return;
  qel::SetZipProgressFactory([](HWND) { return std::make_unique<TerminalBar>(); });
}

bool ShowProgress() { return qel::IsTerminal(qel::StdStream::kErr); }

}  // namespace qeldb
