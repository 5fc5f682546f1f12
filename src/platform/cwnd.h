// CWnd: a window as the library's callers hand it in -- as far as drawing needs it, its client
// area in device units, and its handle, which the library passes on (to a progress dialog as its
// parent) and never uses itself.
#pragma once

#include "platform/crect.h"
#include "platform/win_types.h"

class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(CRect client) : client_(client) {}
  explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
  void GetClientRect(CRect* out) const { *out = client_; }
  void SetClientRect(CRect client) { client_ = client; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  HWND m_hWnd = nullptr;

 private:
  CRect client_;
};
