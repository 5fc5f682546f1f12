#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {
int Fd(qel::StdStream s) { return s == qel::StdStream::kOut ? STDOUT_FILENO : STDERR_FILENO; }
}  // namespace

namespace qel {

bool IsTerminal(StdStream stream) { return ::isatty(Fd(stream)) == 1; }

int TerminalColumns(StdStream stream) {
  winsize ws{};
  if (::ioctl(Fd(stream), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

}  // namespace qel
