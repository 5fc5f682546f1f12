// A progress bar on stderr for long work (generating, upgrading), drawn only when stderr is a
// terminal; elsewhere it prints nothing, so redirected output stays clean.
#pragma once

#include <cstdio>
#include <string>

#include "platform/terminal.h"

namespace qeldb {

class ProgressBar {
 public:
  explicit ProgressBar(std::string label) : label_(std::move(label)), on_(qel::IsTerminal(2)) {}
  ~ProgressBar() { Done(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(long done, long total) {
    if (!on_ || total <= 0) return;
    constexpr int kWidth = 30;
    const long filled = done >= total ? kWidth : done * kWidth / total;
    std::fprintf(stderr, "\r%s [%s%s] %ld/%ld", label_.c_str(), std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done, total);
    std::fflush(stderr);
    drawn_ = true;
  }
  // Clears the bar's line.
  void Done() {
    if (drawn_) std::fprintf(stderr, "\r\033[K");
    drawn_ = false;
  }

 private:
  std::string label_;
  bool on_;
  bool drawn_ = false;
};

}  // namespace qeldb
