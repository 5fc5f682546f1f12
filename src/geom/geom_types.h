// Plain geometric records shared by the whole suite, and the fixed numbers the geometry uses.
//
// Every record is a flat run of doubles so that programs written in C, or storing them in binary
// files, see the same layout; the static_asserts pin that layout. Lengths are in the caller's model
// units, angles in degrees unless a function says radians.
#pragma once

#include <cstddef>

extern "C" {

struct _POINT2D {
  double x;
  double y;
};

struct _POINT3D {
  double x;
  double y;
  double z;
};

// A directed segment; "line" and "segment" both use it.
struct _LINE2D {
  _POINT2D start;
  _POINT2D end;
};

// A circular arc: it covers the directions from startAngle to endAngle (degrees, counter-clockwise
// from +x). startAngle may be negative and endAngle may exceed 360.
struct _ARC2D {
  _POINT2D centre;
  double radius;
  double startAngle;
  double endAngle;
};

// A rectangle anchored at (x, y); a negative width or height extends it left of / below (x, y).
struct _RECT2D {
  double x;
  double y;
  double width;
  double height;
};

// A segment together with the positions of its two ends along a reference line. The two reserved
// fields are carried along untouched.
struct _PARMSGMT2D {
  _POINT2D start;
  _POINT2D end;
  double startParm;
  double reserved1;
  double endParm;
  double reserved2;
};

}  // extern "C"

static_assert(sizeof(_POINT2D) == 16 && offsetof(_POINT2D, y) == 8);
static_assert(sizeof(_POINT3D) == 24 && offsetof(_POINT3D, z) == 16);
static_assert(sizeof(_LINE2D) == 32 && offsetof(_LINE2D, end) == 16);
static_assert(sizeof(_ARC2D) == 40 && offsetof(_ARC2D, radius) == 16 &&
              offsetof(_ARC2D, startAngle) == 24 && offsetof(_ARC2D, endAngle) == 32);
static_assert(sizeof(_RECT2D) == 32 && offsetof(_RECT2D, width) == 16 &&
              offsetof(_RECT2D, height) == 24);
static_assert(sizeof(_PARMSGMT2D) == 64 && offsetof(_PARMSGMT2D, startParm) == 32 &&
              offsetof(_PARMSGMT2D, endParm) == 48);

// A segment in space is six doubles: start x, y, z, end x, y, z.
// A line equation is three doubles (a, b, c) of a*x + b*y + c = 0 with (a, b) a unit normal.
// A 4x4 matrix is sixteen doubles, row-major, used with row vectors (x, y, z, 1).
// A plane frame is three doubles: origin x, origin y, angle in degrees.

namespace qel::geom {

// Segment relation codes shared by the segment functions.
enum SegmentRelation : int {
  kRelNone = 0,
  kRelCross = 1,          // cross at a point inside both
  kRelCrossAtEnd = 2,     // cross at a point within tolerance of an end point
  kRelSharedEnd = 3,      // share an end point; or: the point lies on the segment
  kRelParallel = 4,       // the lines are parallel
  kRelTouchEndToEnd = 6,  // collinear, touching end to end at one point
  kRelPartialOverlap = 7,
  kRelContained = 8,
  kRelIdentical = 9,
};

// Fixed numbers of the geometry. Each is used where its comment says, whatever tolerance a caller
// passes.
inline constexpr double kSpanZeroExtent = 0.01;    // IsPointInSgmt: an extent this small is zero
inline constexpr double kSpanAxisAngleTol = 0.01;  // IsPointInSgmt: 0/90/180/270 degree match
inline constexpr double kDegenerateComponent = 0.001;  // LineEqPoints: zero-length segment
inline constexpr double kAxisAngleTol = 0.001;     // PointLineRelation: horizontal/vertical match
inline constexpr double kFootSpanTol = 0.001;      // DistancePointToLineSgmt: span test of the foot
inline constexpr double kPolyEndMatchTol = 0.001;  // CheckLineCrossPoly: end-point coincidence
inline constexpr double kPolyCrossTol = 0.005;     // CheckLineCrossPoly: crossing and overlap
inline constexpr double kConcreteTol = 0.001;      // IsEqualConcrete, normal mode
inline constexpr double kConcreteFineTol = 1e-8;   // IsEqualConcrete, fine mode
inline constexpr double kInvTrigReportMargin = 0.001;  // acosQEL/asinQEL report beyond 1 + this
inline constexpr double kParallelDeterminant = 1e-5;   // CrossPoint and friends: parallel lines
inline constexpr double kInfinity = 1e7;  // infinite slope; (kInfinity, kInfinity) = no crossing
inline constexpr double kSortAngleLow = 90.001;  // SortItoJ: directions in (low, high] swap
inline constexpr double kSortAngleHigh = 270.001;
inline constexpr double kOffsetAngleWrap = 360.005;  // SgmtOffsetsSgmt: above this loses 360
inline constexpr double kArcTouchTol = 0.001;   // Arc2dArc2dRelation: |h^2| within this = touch
inline constexpr double kMinAngleStep = 0.001;  // NormAngle360ToNeg360: smaller steps do nothing

inline constexpr double kInPolygonTol = 0.005;      // IsPointInPolygon: crossing tol, vertex radius
inline constexpr double kRayLength = 30000.0;       // IsPointInPolygon: length of the test ray
inline constexpr double kInPolygonSpanTol = 0.001;  // IsPointInPolygon: span test on an edge
inline constexpr double kMinHeightDiff = 0.001;     // GetAngleOfSlopedMember: flat below this
inline constexpr double kMinMeaningful = 0.001;     // GetActualDistance, cross-section orientation
inline constexpr double kMinPieceExtent = 0.001;  // GetPolygLineIntersectSgmts: shorter pieces skip
inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kGamma = 2.2;  // gamma of the colour tables

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kRadiansPerDegree = kPi / 180.0;

}  // namespace qel::geom
