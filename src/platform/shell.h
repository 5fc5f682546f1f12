// Opening a document with the desktop (the shell's "open" verb), through a replaceable hook.
//
// Contract: ShellExecuteA hands the file (joined to `directory` when that is given and the file
// is relative) and the verb to the desktop-open hook and returns a value above 32 when the hook
// accepted it, as the Windows call does, and 2 (file not found) otherwise. The default hook
// starts `xdg-open FILE` detached from this process (its output discarded) and reports whether it
// could be started; it does not wait for the document to open. Tests and hosts replace the hook.
#pragma once

#include <functional>
#include <string>

#include "platform/module.h"
#include "platform/win_types.h"

constexpr int SW_SHOWNORMAL = 1;

namespace qel {

// Receives the verb ("open", or "" for the default verb) and the file's path as given (a
// separator '\' is not turned into '/': the hook decides). True when the request was accepted.
using DesktopOpenHook = std::function<bool(const std::string& verb, const std::string& file)>;

// Installs `hook` (an empty function restores the default) and returns the previous one.
DesktopOpenHook SetDesktopOpenHook(DesktopOpenHook hook);

}  // namespace qel

// The result is an instance handle only in name, as on Windows: compare it (as an integer) with 32.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);
