// CWnd: a window as the library's callers hand it in -- only its handle, which the library passes
// on (to the progress dialog's parent) and never uses itself.
#pragma once

#include "platform/win_types.h"

class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
  virtual ~CWnd() = default;
  HWND GetSafeHwnd() const { return m_hWnd; }

  HWND m_hWnd = nullptr;
};
