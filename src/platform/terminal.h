// Whether the standard streams reach a terminal, and how wide it is: the command-line tool draws
// progress bars only on a terminal.
#pragma once

namespace qel {

enum class StdStream { kOut, kErr };

bool IsTerminal(StdStream stream);
// Columns of the terminal behind `stream`; 80 when it is no terminal or does not say.
int TerminalColumns(StdStream stream);

}  // namespace qel
