// A uniform-grid index over the members of one floor, for finding which member supports a plan
// point without testing every member.
//
// The support rules ask for the FIRST member in array order (columns, then walls, then beams)
// whose exact test passes. The index keeps that answer: for a point it hands out, in increasing
// array order, a superset of the members whose test can pass there -- every member whose
// neighbourhood (the member widened by kReach, far more than any support test's tolerance) covers
// the point's cell -- and the caller's exact test picks the first. Members whose neighbourhood is
// no small region (segments of at most 0.01 in both directions, whose span test degenerates into
// a strip; coordinates that are not finite or beyond kMaxCoordinate; segments crossing thousands
// of cells) are handed out for every point.
//
// Built once per floor in time linear in the members' lengths in cells; a query costs the
// members near the point. The arrays must outlive the index and keep their plan geometry (end,
// support and link points, link flags) while it is used; elevations may change.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "dbio/member_records.h"

namespace qel {

class SupportIndex {
 public:
  // How far beyond a member its tests can reach: 0.02 off a line (0.02 * sqrt 2 measured along
  // an axis) and 0.01 beyond a span or a column; kept well above both.
  static constexpr double kReach = 0.05;
  static constexpr double kMaxCoordinate = 1e9;

  SupportIndex(const _COL3D* columns, int nColumns, const _WALL3D* walls, int nWalls,
               const _BEAM3D* beams, int nBeams);

  enum Kind { kColumns = 0, kWalls = 1, kBeams = 2 };

  // The smallest index i of `kind` for which test(i) is true, or -1; test is only called on
  // candidates near p, in increasing order.
  template <class Test>
  int First(Kind kind, const _POINT2D& p, Test test) const {
    const std::vector<int>* near = Near(kind, p);
    if (!near) {  // p is outside every cell: only the members listed everywhere, or all of them
      if (Finite(p)) return FirstOf(everywhere_[kind], nullptr, test);
      for (int i = 0; i < count_[kind]; ++i)
        if (test(i)) return i;
      return -1;
    }
    return FirstOf(everywhere_[kind], near, test);
  }

 private:
  struct Cell {
    std::vector<int> members[3];
  };

  static bool Finite(const _POINT2D& p);
  // The cell lists of p's cell, or null when p has no cell (not finite, too far, empty cell).
  const std::vector<int>* Near(Kind kind, const _POINT2D& p) const;
  std::int64_t CellOf(double v) const;
  void AddBox(Kind kind, int i, double x0, double y0, double x1, double y1);
  // Adds i to every cell within kReach of the segment a-b; false (nothing added) when the
  // segment's neighbourhood is no small region.
  bool CanBand(const _POINT2D& a, const _POINT2D& b) const;
  void AddBand(Kind kind, int i, const _POINT2D& a, const _POINT2D& b);
  void AddToCell(Kind kind, int i, std::int64_t cx, std::int64_t cy);

  // Merges the two ascending lists, testing each index once.
  template <class Test>
  static int FirstOf(const std::vector<int>& a, const std::vector<int>* b, Test& test) {
    std::size_t i = 0, j = 0;
    const std::size_t na = a.size(), nb = b ? b->size() : 0;
    while (i < na || j < nb) {
      int next;
      if (j >= nb || (i < na && a[i] < (*b)[j]))
        next = a[i++];
      else
        next = (*b)[j++];
      if (test(next)) return next;
    }
    return -1;
  }

  double cell_ = 1.0;
  int count_[3] = {0, 0, 0};
  std::vector<int> everywhere_[3];
  std::unordered_map<std::uint64_t, Cell> cells_;
};

}  // namespace qel
