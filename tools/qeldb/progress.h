// A progress bar on stderr for long work (generating, upgrading, packing), drawn only when stderr
// is a terminal; elsewhere it prints nothing, so redirected output stays clean.
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

  // `detail` (the current file's name and progress, say) follows the count, shortened from the
  // front to what the terminal's width leaves.
  void Update(long done, long total, const std::string& detail = "") {
    if (!on_ || total <= 0) return;
    constexpr int kWidth = 30;
    const long filled = done >= total ? kWidth : done * kWidth / total;
    std::string line = label_;
    line.append(" [").append(filled, '#').append(kWidth - filled, ' ').append("] ");
    line.append(std::to_string(done)).append(1, '/').append(std::to_string(total));
    const long room = qel::TerminalColumns(2) - 3 - static_cast<long>(line.size());
    if (!detail.empty() && room >= 8) {
      line.append("  ");
      if (static_cast<long>(detail.size()) <= room)
        line.append(detail);
      else
        line.append("...").append(detail, detail.size() - (room - 3), std::string::npos);
    }
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
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
