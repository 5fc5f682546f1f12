// Whether the process's standard output or error is a terminal: tools draw progress bars only
// there, so redirected output stays clean.
#pragma once

namespace qel {

// 1 standard output, 2 standard error. False for anything else and for files, pipes and sockets.
bool IsTerminal(int stream);
// Columns of the terminal behind `stream` (1 or 2); 80 when it is none or does not say.
int TerminalColumns(int stream);

}  // namespace qel
