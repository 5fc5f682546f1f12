// Internal to the grid-system code: the system transform and the span of one grid line, shared by
// the plan geometry and the drawing so both place every grid exactly alike.
#pragma once

#include <cmath>

#include "geom/grid_sys.h"
#include "geom/transforms.h"

namespace qel::grid {

// The system transform: a local point (u, v) is moved to the origin and rotated about it by the
// system angle. An angle of exactly 0 skips the rotation; a negative one is taken as the same
// direction plus a whole turn.
class Placement {
 public:
  explicit Placement(const CGridSys& s) : origin_{s.m_dOriginX, s.m_dOriginY} {
    double a = s.m_dAngle;
    rotate_ = a != 0;
    if (rotate_) {
      if (a < 0) a += 360;
      SetRotateMtx4D(m_, a * qel::geom::kRadiansPerDegree, &origin_);
    }
  }
  _POINT2D operator()(double u, double v) const {
    double in[4] = {origin_.x + u, origin_.y + v, 0, 1};
    if (!rotate_) return {in[0], in[1]};
    double out[4];
    MltyVctMtx4D(m_, in, out);
    return {out[0], out[1]};
  }
  // A point at radius r in direction thetaDeg (degrees) about the origin.
  _POINT2D Polar(double r, double thetaDeg) const {
    double t = thetaDeg * qel::geom::kRadiansPerDegree;
    return (*this)(r * std::cos(t), r * std::sin(t));
  }

 private:
  _POINT2D origin_;
  bool rotate_ = false;
  double m_[16] = {};
};

// Where a grid starts and ends along its own direction: its own extents, or else the first and
// last grid of the other family (array order). False when neither is available.
inline bool LineSpan(const CGrid& g, const CArray<CGrid, CGrid&>& other, double* from, double* to) {
  if (other.IsEmpty() && !(g.m_bHasMinExtent && g.m_bHasMaxExtent)) return false;
  *from = g.m_bHasMinExtent ? g.m_dMinExtent : other.GetAt(0).m_dLocation;
  *to = g.m_bHasMaxExtent ? g.m_dMaxExtent : other.GetAt(other.GetUpperBound()).m_dLocation;
  return true;
}

// Only orthogonal and radial systems have lines and points.
inline bool HasGeometry(GRID_SYS_TYPE_ t) {
  return t == GRID_SYS_ORTHOGONAL || t == GRID_SYS_RADIAL;
}

}  // namespace qel::grid
