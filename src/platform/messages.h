// Message boxes, debug output and the "close the main window" request, routed to replaceable
// hooks.
//
// The library shows user-facing failures as modal message boxes. Here a box is a call to the
// message sink: by default it writes "caption: text" to stderr and answers IDOK; tests install a
// sink that records, the CLI one that prints. Debug output (OutputDebugStringA) goes to the same
// sink as one line, marked by the style kDebugOutputStyle, so nothing in the library writes to a
// stream of its own. The close hook stands for posting WM_CLOSE to the first visible window of
// the thread; by default it does nothing.
#pragma once

#include <functional>

#include "platform/win_types.h"

namespace qel {

// Receives the text, the caption (may be empty) and the MB_* style; returns the button (IDOK...).
using MessageSink = std::function<int(const char* text, const char* caption, UINT style)>;

// Installs `sink` (an empty function restores the default) and returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// The style that marks a line of debug output rather than a box (no MB_* style uses this bit).
constexpr UINT kDebugOutputStyle = 0x80000000u;

using CloseHook = std::function<void()>;
CloseHook SetCloseHook(CloseHook hook);
void RequestMainWindowClose();

}  // namespace qel

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);
// Hands `text` (one trailing line end dropped) to the message sink with an empty caption and the
// style qel::kDebugOutputStyle.
void OutputDebugStringA(const char* text);
int AfxMessageBox(const char* text, UINT style = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT style = MB_OK, UINT helpId = 0);
