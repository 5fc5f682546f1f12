// Sloped and rotated members, and the colour gamma tables.
#include "geom/member_geometry.h"

#include <array>
#include <cmath>

#include "geom/numbers.h"
#include "geom/primitives.h"

using namespace qel::geom;

namespace {

struct Vec3 {
  double x, y, z;
};

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Unit vector; a zero vector stays zero.
Vec3 Unit(const Vec3& v) {
  const double len = std::sqrt(Dot(v, v));
  if (len == 0) return v;
  return {v.x / len, v.y / len, v.z / len};
}

void Store(const Vec3& v, double* x, double* y, double* z) {
  if (x != nullptr) *x = v.x;
  if (y != nullptr) *y = v.y;
  if (z != nullptr) *z = v.z;
}

// Both tables at once, built by the first caller; a function-local static is initialised exactly
// once even when threads race to it.
struct GammaTables {
  std::array<WORD, 256> toLinear;
  std::array<BYTE, 65536> toGamma;
  GammaTables() {
    for (int i = 0; i < 256; ++i) {
      toLinear[i] = static_cast<WORD>(std::trunc(std::pow(i / 255.0, kGamma) * 65535.0 + 0.5));
    }
    for (int i = 0; i < 65536; ++i) {
      toGamma[i] = static_cast<BYTE>(std::trunc(std::pow(i / 65535.0, 1.0 / kGamma) * 255.0 + 0.5));
    }
  }
};

const GammaTables& Tables() {
  static const GammaTables tables;
  return tables;
}

}  // namespace

extern "C" {

double GetAngleOfSlopedMember(double x1, double y1, double z1, double x2, double y2, double z2) {
  const double dz = z2 - z1;
  if (std::fabs(dz) <= kMinHeightDiff) return 0.0;
  const double len = GetVectorLength(x2 - x1, y2 - y1, dz);
  const double s = ClampInverseTrigArg(dz / len, "GetAngleOfSlopedMember:", "asin");
  return std::asin(s) * kDegreesPerRadian;
}

double GetZatPointonLine(double x1, double y1, double z1, double x2, double y2, double z2,
                         const _POINT2D* P) {
  const double plan = std::hypot(x2 - x1, y2 - y1);
  if (plan == 0) return z1;  // a vertical member has no single z above a plan point
  const double slope = GetAngleOfSlopedMember(x1, y1, z1, x2, y2, z2) / kDegreesPerRadian;
  const double dplan = std::hypot(P->x - x1, P->y - y1);
  const double rise = dplan * std::tan(std::fabs(slope));
  return z2 - z1 >= 0 ? z1 + rise : z1 - rise;
}

double GetProjectedCosineAngle(double a, double b) {
  if (a == 0) return 0.0;
  const double r = 1.0 - (b / a) * (b / a);
  return r > 0 ? std::sqrt(r) : 0.0;
}

double GetProjectedDistance(double dx, double dy, double dz, double dist) {
  const double len = GetVectorLength(dx, dy, dz);
  if (len == 0) return dist;
  const double r = 1.0 - (dz / len) * (dz / len);
  return dist * (r > 0 ? std::sqrt(r) : 0.0);
}

double GetActualDistance(double dx, double dy, double dz, double projected) {
  if (projected < kMinMeaningful) return 0.0;
  const double len = GetVectorLength(dx, dy, dz);
  if (len == 0) return projected;
  const double r = 1.0 - (dz / len) * (dz / len);
  const double root = r > 0 ? std::sqrt(r) : 0.0;
  if (root < kMinMeaningful) return 0.0;
  return projected / root;
}

double GetPointOnAPlane(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                        double y3, double z3, double x, double y) {
  const Vec3 n = Cross({x2 - x1, y2 - y1, z2 - z1}, {x3 - x1, y3 - y1, z3 - z1});
  if (n.z == 0) return z1;
  return z1 - (n.x * (x - x1) + n.y * (y - y1)) / n.z;
}

void ObtainTransformationMatrix(double dx, double dy, double dz, double rx, double ry, double rz,
                                double* xx, double* xy, double* xz, double* yx, double* yy,
                                double* yz, double* zx, double* zy, double* zz) {
  const Vec3 ax = Unit({dx, dy, dz});
  const Vec3 az = Unit(Cross(ax, {rx, ry, rz}));
  const Vec3 ay = Unit(Cross(az, ax));
  Store(ax, xx, xy, xz);
  Store(ay, yx, yy, yz);
  Store(az, zx, zy, zz);
}

int GetTransformationMatrixForMember(const _POINT3D* start, const _POINT3D* end, double rotRad,
                                     double* xx, double* xy, double* xz, double* yx, double* yy,
                                     double* yz, double* zx, double* zy, double* zz) {
  const double dx = end->x - start->x;
  const double dy = end->y - start->y;
  const double dz = end->z - start->z;
  ObtainTransformationMatrix(dx, dy, dz, std::cos(rotRad) + dx, std::sin(rotRad) + dy, dz, xx, xy,
                             xz, yx, yy, yz, zx, zy, zz);
  return 1;
}

int GetMemberCrossSectionOrientationPoint(const _POINT3D* start, const _POINT3D* end, double rotRad,
                                          const _POINT3D* P, _POINT3D* out) {
  if (std::fabs(rotRad) <= kMinMeaningful) {
    *out = *P;
    return 1;
  }
  const Vec3 axis{end->x - start->x, end->y - start->y, end->z - start->z};
  const double len = std::sqrt(Dot(axis, axis));
  if (len < kMinMeaningful) {
    *out = _POINT3D{0.0, 0.0, 0.0};
    return 0;
  }
  const Vec3 k{axis.x / len, axis.y / len, axis.z / len};
  const Vec3 p{P->x, P->y, P->z};
  const double c = std::cos(rotRad);
  const double s = std::sin(rotRad);
  const Vec3 kp = Cross(k, p);
  const double kd = Dot(k, p) * (1.0 - c);
  // Rodrigues: p cos + (k x p) sin + k (k . p)(1 - cos).
  *out = _POINT3D{p.x * c + kp.x * s + k.x * kd + end->x, p.y * c + kp.y * s + k.y * kd + end->y,
                  p.z * c + kp.z * s + k.z * kd + end->z};
  return 1;
}

WORD GammaToLinear(BYTE c) { return Tables().toLinear[c]; }

BYTE LinearToGamma(WORD v) { return Tables().toGamma[v]; }

BYTE AdjustColorComponentWithGamma(BYTE c, double factor, int invert) {
  if (factor == 1.0) return c;
  const BYTE base = invert ? static_cast<BYTE>(255 - c) : c;
  const double v = GammaToLinear(base) * factor;
  if (v > 65535.0) return invert ? 0 : 255;
  if (!(v >= 0.0)) return invert ? 255 : 0;  // negative, or NaN from a NaN factor
  const BYTE g = LinearToGamma(static_cast<WORD>(std::trunc(v)));
  return invert ? static_cast<BYTE>(255 - g) : g;
}

}  // extern "C"
