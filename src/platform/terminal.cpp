#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace qel {

bool IsTerminal(int stream) { return (stream == 1 || stream == 2) && ::isatty(stream) == 1; }

int TerminalColumns(int stream) {
  winsize ws{};
  if (IsTerminal(stream) && ::ioctl(stream, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
    return ws.ws_col;
  return 80;
}

}  // namespace qel
