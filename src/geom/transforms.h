// 4x4 matrix and point transforms in the plane.
//
// A matrix is sixteen doubles, row-major, used with row vectors: a point is (x, y, z, 1) and the
// translation sits in row 4 (M[12], M[13]). Angles are radians for SetRotateMtx4D and
// TransformPointByTheta, degrees elsewhere. Point functions change the point in place.
#pragma once

#include "geom/geom_types.h"

extern "C" {

void SetZeroMtx4D(double M[16]);
void SetUnitMtx4D(double M[16]);
void SetTranslateMtx4D(double M[16], double dx, double dy);
// Counter-clockwise rotation by angleRad about centre.
void SetRotateMtx4D(double M[16], double angleRad, const _POINT2D* centre);
// out_j = sum_i v_i * M_ij; out may be v.
void MltyVctMtx4D(const double M[16], const double v[4], double out[4]);

void TranslatePoint(_POINT2D* P, double dx, double dy);
void RotatePoint(_POINT2D* P, const _POINT2D* centre, double angleDeg);
// Rotates about centre, then translates.
void RotateTranslatePt(_POINT2D* P, const _POINT2D* centre, double dx, double dy, double angleDeg);
// Frames are (x, y, angleDeg). Takes P from frame A to global coordinates and, unless B is
// (0, 0, 0), on into frame B. The result goes to out and to P.
void PtCrdntSytmTransfer(_POINT2D* out, _POINT2D* P, const double frameA[3],
                         const double frameB[3]);
// x' = cos*x + sin*y, y' = cos*y - sin*x.
void TransformPointByTheta(const _POINT2D* P, _POINT2D* out, double thetaRad);

}  // extern "C"
