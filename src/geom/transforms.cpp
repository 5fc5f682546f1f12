#include "geom/transforms.h"

#include <cmath>

extern "C" {

void SetZeroMtx4D(double M[16]) {
  for (int i = 0; i < 16; ++i) M[i] = 0.0;
}

void SetUnitMtx4D(double M[16]) {
  SetZeroMtx4D(M);
  M[0] = M[5] = M[10] = M[15] = 1.0;
}

void SetTranslateMtx4D(double M[16], double dx, double dy) {
  SetUnitMtx4D(M);
  M[12] = dx;
  M[13] = dy;
}

void SetRotateMtx4D(double M[16], double angleRad, const _POINT2D* centre) {
  const double c = std::cos(angleRad);
  const double s = std::sin(angleRad);
  const double cx = centre != nullptr ? centre->x : 0.0;
  const double cy = centre != nullptr ? centre->y : 0.0;
  SetUnitMtx4D(M);
  M[0] = c;
  M[1] = s;
  M[4] = -s;
  M[5] = c;
  M[12] = cy * s - (c - 1.0) * cx;
  M[13] = -(c - 1.0) * cy - cx * s;
}

void MltyVctMtx4D(const double M[16], const double v[4], double out[4]) {
  double r[4];
  for (int j = 0; j < 4; ++j) {
    r[j] = v[0] * M[j] + v[1] * M[4 + j] + v[2] * M[8 + j] + v[3] * M[12 + j];
  }
  for (int j = 0; j < 4; ++j) out[j] = r[j];
}

static void ApplyToPoint(const double M[16], _POINT2D* P) {
  double v[4] = {P->x, P->y, 0.0, 1.0};
  MltyVctMtx4D(M, v, v);
  P->x = v[0];
  P->y = v[1];
}

void TranslatePoint(_POINT2D* P, double dx, double dy) {
  double M[16];
  SetTranslateMtx4D(M, dx, dy);
  ApplyToPoint(M, P);
}

void RotatePoint(_POINT2D* P, const _POINT2D* centre, double angleDeg) {
  if (angleDeg < 0) angleDeg += 360.0;
  double M[16];
  SetRotateMtx4D(M, angleDeg * qel::geom::kRadiansPerDegree, centre);
  ApplyToPoint(M, P);
}

void RotateTranslatePt(_POINT2D* P, const _POINT2D* centre, double dx, double dy, double angleDeg) {
  RotatePoint(P, centre, angleDeg);
  TranslatePoint(P, dx, dy);
}

void PtCrdntSytmTransfer(_POINT2D* out, _POINT2D* P, const double frameA[3],
                         const double frameB[3]) {
  const _POINT2D origin{0.0, 0.0};
  RotatePoint(P, &origin, frameA[2]);
  TranslatePoint(P, frameA[0], frameA[1]);
  if (frameB != nullptr && !(frameB[0] == 0.0 && frameB[1] == 0.0 && frameB[2] == 0.0)) {
    TranslatePoint(P, -frameB[0], -frameB[1]);
    RotatePoint(P, &origin, -frameB[2]);
  }
  if (out != nullptr) *out = *P;
}

void TransformPointByTheta(const _POINT2D* P, _POINT2D* out, double thetaRad) {
  const double c = std::cos(thetaRad);
  const double s = std::sin(thetaRad);
  const _POINT2D p = *P;
  out->x = c * p.x + s * p.y;
  out->y = c * p.y - s * p.x;
}

}  // extern "C"
