#include "platform/terminal.h"

#include <unistd.h>

namespace qel {

bool IsTerminal(int stream) { return (stream == 1 || stream == 2) && ::isatty(stream) == 1; }

}  // namespace qel
