// The progress of packing and unpacking drawn as one line on stderr:
//   [##########----------]  3/10  sub/tower.b3d  45%
// Only when stderr is a terminal; the line is redrawn at most ten times a second (and at every
// new file) and cleared when the work ends, so nothing of it stays in the terminal's text.
#pragma once

namespace qeldb {

// Installs the terminal bar as the library's zip progress dialog (a no-op when stderr is not a
// terminal). Commands then ask for progress with ShowProgress().
void InstallProgressBar();
bool ShowProgress();

}  // namespace qeldb
