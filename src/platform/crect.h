// CPoint and CRect: MFC's integer point and rectangle, as plain value types.
//
// Contract: CRect holds left, top, right, bottom as given; nothing normalises it but
// NormalizeRect. Width() and Height() are right - left and bottom - top and may be negative.
// PtInRect counts the left and top edges as inside and the right and bottom edges as outside.
#pragma once

#include <utility>

#include "platform/win_types.h"

struct CPoint {
  LONG x = 0;
  LONG y = 0;
  CPoint() = default;
  CPoint(int px, int py) : x(px), y(py) {}
  friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
  friend bool operator!=(const CPoint& a, const CPoint& b) { return !(a == b); }
};

struct CSize {
  LONG cx = 0;
  LONG cy = 0;
  CSize() = default;
  CSize(int x, int y) : cx(x), cy(y) {}
  friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
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
  // Swaps the edges where right < left or bottom < top.
  void NormalizeRect() {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
  }
  // Moves each edge inwards by x (left, right) and y (top, bottom).
  void DeflateRect(int x, int y) {
    left += x;
    right -= x;
    top += y;
    bottom -= y;
  }
  bool PtInRect(CPoint p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }
  friend bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
