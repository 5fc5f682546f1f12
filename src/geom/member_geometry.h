// Geometry of sloped and rotated structural members, and the colour gamma tables.
//
// Members are given by their end coordinates in space; angles are degrees unless a name says
// radians (rotRad). Nothing throws. The gamma tables are built once, on first use, safely when
// several threads get there together.
#pragma once

#include "geom/geom_types.h"
#include "platform/win_types.h"

extern "C" {

// 0 when |z2 - z1| <= 0.001, else asin(dz / length) in degrees (clamped; beyond 1.001 the
// once-per-process "Program Error" message names "GetAngleOfSlopedMember:").
double GetAngleOfSlopedMember(double x1, double y1, double z1, double x2, double y2, double z2);
// z on the member above plan point P. A vertical member (no plan length) gives z1.
double GetZatPointonLine(double x1, double y1, double z1, double x2, double y2, double z2,
                         const _POINT2D* P);
// sqrt(1 - (b/a)^2); a radicand below zero (b longer than a) counts as 0, and so does a == 0.
double GetProjectedCosineAngle(double a, double b);
// dist * sqrt(1 - (dz/L)^2), L = |(dx, dy, dz)|; L == 0 gives dist.
double GetProjectedDistance(double dx, double dy, double dz, double dist);
// projected / sqrt(1 - (dz/L)^2); 0 when projected < 0.001 or the root < 0.001.
double GetActualDistance(double dx, double dy, double dz, double projected);
// z at (x, y) on the plane through three points; z1 when the plane is vertical or undefined.
double GetPointOnAPlane(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                        double y3, double z3, double x, double y);
// Local axes of a member: x = unit(d), z = unit(x cross r), y = unit(z cross x). A zero vector
// stays zero rather than becoming NaN.
void ObtainTransformationMatrix(double dx, double dy, double dz, double rx, double ry, double rz,
                                double* xx, double* xy, double* xz, double* yx, double* yy,
                                double* yz, double* zx, double* zy, double* zz);
int GetTransformationMatrixForMember(const _POINT3D* start, const _POINT3D* end, double rotRad,
                                     double* xx, double* xy, double* xz, double* yx, double* yy,
                                     double* yz, double* zx, double* zy, double* zz);
// |rotRad| <= 0.001: out = P. Otherwise out = R * P + end, R the rotation by rotRad about the
// member's axis; 0 with out = (0, 0, 0) for a member shorter than 0.001. Else 1.
int GetMemberCrossSectionOrientationPoint(const _POINT3D* start, const _POINT3D* end, double rotRad,
                                          const _POINT3D* P, _POINT3D* out);

WORD GammaToLinear(BYTE c);
BYTE LinearToGamma(WORD v);
BYTE AdjustColorComponentWithGamma(BYTE c, double factor, int invert);

}  // extern "C"
