// CPoint and CRect: MFC's integer point and rectangle, as plain value types.
//
// Contract: CRect holds left, top, right, bottom as given; nothing normalises it. Width() and
// Height() are right - left and bottom - top and may be negative.
#pragma once

#include "platform/win_types.h"

struct CPoint {
  LONG x = 0;
  LONG y = 0;
  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
  friend bool operator!=(const CPoint& a, const CPoint& b) { return !(a == b); }
};

struct CRect {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
