// A uniform-grid index over the members of one floor, for finding which member supports a plan
// point without testing every member.
//
// The support rules ask for the FIRST member in array order (columns, then walls, then beams)
// whose exact test passes. The index keeps that answer: for a point it hands out, in increasing
// array order, a superset of the members whose test can pass there -- every member whose
// neighbourhood (the member widened by kReach, more than any support test's tolerance) covers
// the point's cell -- and the caller's exact test picks the first. Members whose neighbourhood is
// no small region (segments of at most 0.01 in both directions, whose span test degenerates into
// a strip; coordinates that are not finite or beyond kMaxCoordinate; segments crossing thousands
// of cells, or more cells than the floor's budget) are handed out for every point.
//
// Cells are about as large as the floor's median member, so most members fall in a few cells.
// Building costs time and memory linear in the members' lengths in cells (bounded by a budget
// proportional to the number of members); a query costs a hash lookup and the members near the
// point. Cell keys keep 32 bits of each cell coordinate: cells that share a key (2^32 cells
// apart) share their candidates, which only adds candidates. The arrays must outlive the index and
// keep their plan geometry (end, support and link points, link flags) while it is used; elevations
// may change.
#pragma once

#include <cstdint>
#include <vector>

#include "dbio/member_records.h"

namespace qel {

class SupportIndex {
 public:
  // How far beyond a member its tests can reach: 0.02 off a line (0.02 * sqrt 2 measured along
  // an axis) and 0.01 beyond a span or a column; kept well above both.
  static constexpr double kReach = 0.05;
  static constexpr double kMaxCoordinate = 1e9;

  enum Kind : std::uint32_t { kColumns = 0, kWalls = 1, kBeams = 2 };

  SupportIndex(const _COL3D* columns, int nColumns, const _WALL3D* walls, int nWalls,
               const _BEAM3D* beams, int nBeams);

  // The smallest index i of `kind` for which test(i) is true, or -1; test is only called on
  // candidates near p, each once, in increasing order.
  template <class Test>
  int First(Kind kind, const _POINT2D& p, Test test) const {
    if (!Finite(p)) {  // no cell to look in: every member is a candidate
      for (int i = 0; i < count_[kind]; ++i)
        if (test(i)) return i;
      return -1;
    }
    const Entry* begin = nullptr;
    const Entry* end = nullptr;
    Near(kind, p, begin, end);
    // Merge the members of p's cell with those listed everywhere, both ascending.
    const std::vector<int>& all = everywhere_[kind];
    std::size_t i = 0;
    while (i < all.size() || begin != end) {
      int next;
      if (begin == end || (i < all.size() && all[i] < static_cast<int>(begin->index)))
        next = all[i++];
      else
        next = static_cast<int>((begin++)->index);
      if (test(next)) return next;
    }
    return -1;
  }

 private:
  struct Entry {
    std::uint64_t cell;
    std::uint32_t kind;
    std::uint32_t index;
  };
  // One occupied cell of the open-addressing table: its entries of kind k are
  // entries_[first[k], first[k + 1]).
  struct Slot {
    std::uint64_t cell = 0;
    std::uint32_t first[4] = {0, 0, 0, 0};
    bool used = false;
  };

  static bool Finite(const _POINT2D& p);
  // The entries of `kind` in p's cell (an empty range when p has none).
  void Near(Kind kind, const _POINT2D& p, const Entry*& begin, const Entry*& end) const;
  std::int64_t CellOf(double v) const;
  // False when the segment's neighbourhood is no small region.
  bool CanBand(const _POINT2D& a, const _POINT2D& b) const;
  void AddBox(Kind kind, int i, double x0, double y0, double x1, double y1);
  void AddBand(Kind kind, int i, const _POINT2D& a, const _POINT2D& b);
  void Add(Kind kind, int i, std::int64_t cx, std::int64_t cy);

  double cell_ = 1.0;
  int count_[3] = {0, 0, 0};
  std::vector<int> everywhere_[3];
  std::vector<Entry> entries_;  // sorted by cell, kind, index
  std::vector<Slot> table_;     // a power of two, at most half full
};

}  // namespace qel
