// The library's zip progress dialog (platform/progress.h) as the command line's progress bar
// (progress.h): "packing [#####     ] 3/10  sub/tower.b3d 45%", redrawn at most ten times a
// second and at every new file, only when stderr is a terminal.
#pragma once

namespace qeldb {

// Installs the bar as the dialog the library creates for Zip and Unzip (nothing when stderr is
// no terminal). Commands then ask for progress with ShowProgress().
void InstallProgressBar();
bool ShowProgress();

}  // namespace qeldb
