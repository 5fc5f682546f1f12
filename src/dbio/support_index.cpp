#include "dbio/support_index.h"

#include <algorithm>
#include <cmath>

namespace qel {
namespace {

constexpr double kSqrt2 = 1.4142135623730951;
// A segment whose extent is at most this in both directions has a span test that degenerates
// into a strip (IsPointInSgmt calls such extents zero).
constexpr double kDegenerate = 0.01;
constexpr double kMaxStripsPerSegment = 4096;
// Cell entries a floor may hold per member, beyond a fixed allowance: long members past it are
// listed everywhere instead, so no floor's index grows beyond a small multiple of its members.
constexpr std::size_t kEntriesPerMember = 32, kEntriesAllowance = 1 << 16;

bool Indexable(const _POINT2D& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) &&
         std::fabs(p.x) <= SupportIndex::kMaxCoordinate &&
         std::fabs(p.y) <= SupportIndex::kMaxCoordinate;
}

std::uint64_t Key(std::int64_t cx, std::int64_t cy) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32) |
         static_cast<std::uint32_t>(cy);
}

std::size_t Hash(std::uint64_t key) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 17);
}

}  // namespace

bool SupportIndex::Finite(const _POINT2D& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

std::int64_t SupportIndex::CellOf(double v) const {
  return static_cast<std::int64_t>(std::floor(v / cell_));
}

SupportIndex::SupportIndex(const _COL3D* columns, int nColumns, const _WALL3D* walls, int nWalls,
                           const _BEAM3D* beams, int nBeams) {
  count_[kColumns] = columns ? std::max(nColumns, 0) : 0;
  count_[kWalls] = walls ? std::max(nWalls, 0) : 0;
  count_[kBeams] = beams ? std::max(nBeams, 0) : 0;

  std::vector<double> lengths;
  auto measure = [&](const _POINT2D& a, const _POINT2D& b) {
    const double l = std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
    if (std::isfinite(l)) lengths.push_back(l);
  };
  for (int i = 0; i < count_[kWalls]; ++i) measure(walls[i].ptIEnd, walls[i].ptJEnd);
  for (int i = 0; i < count_[kBeams]; ++i) measure(beams[i].ptSupport1, beams[i].ptSupport2);
  cell_ = 100.0;
  if (!lengths.empty()) {
    auto mid = lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2);
    std::nth_element(lengths.begin(), mid, lengths.end());
    cell_ = std::clamp(*mid, 4 * kReach, 1e6);
  }

  const std::size_t budget =
      kEntriesAllowance +
      kEntriesPerMember * static_cast<std::size_t>(count_[0] + count_[1] + count_[2]);
  // Adds one member through `add`, or lists it everywhere when it cannot be placed in cells or
  // would take the index past its budget.
  auto place = [&](Kind kind, int i, bool placeable, auto add) {
    const std::size_t before = entries_.size();
    if (placeable) add();
    if (!placeable || entries_.size() > budget) {
      entries_.resize(before);
      everywhere_[kind].push_back(i);
    }
  };
  for (int i = 0; i < count_[kColumns]; ++i) {
    const _POINT2D& p = columns[i].ptPlan;
    place(kColumns, i, Indexable(p),
          [&] { AddBox(kColumns, i, p.x - kReach, p.y - kReach, p.x + kReach, p.y + kReach); });
  }
  for (int i = 0; i < count_[kWalls]; ++i) {
    const _WALL3D& w = walls[i];
    place(kWalls, i, CanBand(w.ptIEnd, w.ptJEnd), [&] { AddBand(kWalls, i, w.ptIEnd, w.ptJEnd); });
  }
  for (int i = 0; i < count_[kBeams]; ++i) {
    const _BEAM3D& b = beams[i];
    const _POINT2D iLink{b.ptILink.x, b.ptILink.y}, jLink{b.ptJLink.x, b.ptJLink.y};
    const bool placeable = CanBand(b.ptSupport1, b.ptSupport2) &&
                           (!b.bILink || CanBand(b.ptIEnd, iLink)) &&
                           (!b.bJLink || CanBand(b.ptJEnd, jLink));
    place(kBeams, i, placeable, [&] {
      AddBand(kBeams, i, b.ptSupport1, b.ptSupport2);
      if (b.bILink) AddBand(kBeams, i, b.ptIEnd, iLink);
      if (b.bJLink) AddBand(kBeams, i, b.ptJEnd, jLink);
    });
  }

  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    if (a.cell != b.cell) return a.cell < b.cell;
    if (a.kind != b.kind) return a.kind < b.kind;
    return a.index < b.index;
  });
  // A beam meets a cell again through its link segments.
  entries_.erase(std::unique(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) {
                               return a.cell == b.cell && a.kind == b.kind && a.index == b.index;
                             }),
                 entries_.end());

  // Each occupied cell once in the table, with where its entries of each kind start.
  std::size_t cells = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    cells += i == 0 || entries_[i].cell != entries_[i - 1].cell;
  std::size_t size = 16;
  while (size < 2 * cells) size *= 2;
  table_.assign(size, Slot{});
  for (std::size_t i = 0; i < entries_.size();) {
    const std::uint64_t cell = entries_[i].cell;
    std::size_t h = Hash(cell) & (size - 1);
    while (table_[h].used) h = (h + 1) & (size - 1);
    Slot& slot = table_[h];
    slot.used = true;
    slot.cell = cell;
    for (std::uint32_t k = 0; k < 3; ++k) {
      slot.first[k] = static_cast<std::uint32_t>(i);
      while (i < entries_.size() && entries_[i].cell == cell && entries_[i].kind == k) ++i;
    }
    slot.first[3] = static_cast<std::uint32_t>(i);
  }
}

void SupportIndex::Add(Kind kind, int i, std::int64_t cx, std::int64_t cy) {
  entries_.push_back({Key(cx, cy), kind, static_cast<std::uint32_t>(i)});
}

void SupportIndex::AddBox(Kind kind, int i, double x0, double y0, double x1, double y1) {
  for (std::int64_t cx = CellOf(x0); cx <= CellOf(x1); ++cx)
    for (std::int64_t cy = CellOf(y0); cy <= CellOf(y1); ++cy) Add(kind, i, cx, cy);
}

bool SupportIndex::CanBand(const _POINT2D& a, const _POINT2D& b) const {
  if (!Indexable(a) || !Indexable(b)) return false;
  const double dx = std::fabs(b.x - a.x), dy = std::fabs(b.y - a.y);
  if (dx <= kDegenerate && dy <= kDegenerate) return false;
  return (std::max(dx, dy) + 2 * kReach) / cell_ + 2 <= kMaxStripsPerSegment;
}

// The neighbourhood is swept along the segment's major axis one strip of cells at a time. Within
// a strip the line's other coordinate runs between its values at the strip's two edges (the
// slope is at most 1 along the major axis), and a point within kReach of the line lies within
// kReach * sqrt 2 of it measured along the minor axis.
void SupportIndex::AddBand(Kind kind, int i, const _POINT2D& a, const _POINT2D& b) {
  const bool alongX = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
  const double a0 = alongX ? a.x : a.y, a1 = alongX ? b.x : b.y;  // major coordinates
  const double m0 = alongX ? a.y : a.x, m1 = alongX ? b.y : b.x;  // minor coordinates
  const double slope = (m1 - m0) / (a1 - a0);
  const double lo = std::min(a0, a1) - kReach, hi = std::max(a0, a1) + kReach;
  const double widen = kReach * kSqrt2;
  for (std::int64_t s = CellOf(lo); s <= CellOf(hi); ++s) {
    const double from = std::max(lo, static_cast<double>(s) * cell_);
    const double to = std::min(hi, static_cast<double>(s + 1) * cell_);
    const double v0 = m0 + slope * (from - a0), v1 = m0 + slope * (to - a0);
    const std::int64_t c1 = CellOf(std::max(v0, v1) + widen);
    for (std::int64_t c = CellOf(std::min(v0, v1) - widen); c <= c1; ++c) {
      if (alongX)
        Add(kind, i, s, c);
      else
        Add(kind, i, c, s);
    }
  }
}

void SupportIndex::Near(Kind kind, const _POINT2D& p, const Entry*& begin,
                        const Entry*& end) const {
  begin = end = nullptr;
  // Beyond the cells' reach only the members listed everywhere can carry p.
  if (std::fabs(p.x) > kMaxCoordinate + 1 || std::fabs(p.y) > kMaxCoordinate + 1) return;
  const std::uint64_t cell = Key(CellOf(p.x), CellOf(p.y));
  const std::size_t mask = table_.size() - 1;
  for (std::size_t h = Hash(cell) & mask; table_[h].used; h = (h + 1) & mask) {
    if (table_[h].cell != cell) continue;
    begin = entries_.data() + table_[h].first[kind];
    end = entries_.data() + table_[h].first[kind + 1];
    return;
  }
}

}  // namespace qel
