// Matrix and point transforms, frame changes, member geometry and the gamma tables.
#include "geom/transforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geom/member_geometry.h"
#include "geom/primitives.h"
#include "geom_test_util.h"

namespace {

using geomtest::ExpectPoint;

void ExpectPoint3(const _POINT3D& p, double x, double y, double z, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
  EXPECT_NEAR(p.z, z, tol);
}

}  // namespace

TEST(Transforms, MatricesAreRowMajorForRowVectors) {
  double M[16];
  SetZeroMtx4D(M);
  for (double v : M) EXPECT_EQ(v, 0);
  SetTranslateMtx4D(M, 3, -4);
  const double expectedT[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, -4, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(M[i], expectedT[i]) << i;

  const _POINT2D centre{1, 2};
  SetRotateMtx4D(M, M_PI / 2, &centre);
  // cos = 0, sin = 1: M41 = cy*s - (c-1)*cx = 3, M42 = -(c-1)*cy - cx*s = 1.
  const double expectedR[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, 1, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(M[i], expectedR[i], 1e-15) << i;

  double G[16];
  for (int i = 0; i < 16; ++i) G[i] = i;
  double v[4] = {1, 2, 3, 4};
  MltyVctMtx4D(G, v, v);  // in place; out_j = sum_i v_i * G_ij
  const double expectedV[4] = {80, 90, 100, 110};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], expectedV[i]) << i;
}

TEST(Transforms, PointsMoveAsDocumented) {
  _POINT2D p{2, 2};
  const _POINT2D centre{1, 2};
  RotatePoint(&p, &centre, 90);
  ExpectPoint(p, 1, 3);
  p = {0, -2};
  TranslatePoint(&p, 1.5, 2);
  ExpectPoint(p, 1.5, 0);
  p = {1, 0};
  const _POINT2D origin{0, 0};
  RotateTranslatePt(&p, &origin, 5, 5, 90);  // rotate first, then translate
  ExpectPoint(p, 5, 6);

  const double A[3] = {10, 20, 90};
  const double global[3] = {0, 0, 0};
  _POINT2D out;
  p = {1, 0};
  PtCrdntSytmTransfer(&out, &p, A, global);
  ExpectPoint(out, 10, 21);
  ExpectPoint(p, 10, 21);  // the input is moved too
  const double B[3] = {10, 20, 0};
  p = {1, 0};
  PtCrdntSytmTransfer(&out, &p, A, B);
  ExpectPoint(out, 0, 1);

  p = {1, 0};
  TransformPointByTheta(&p, &out, M_PI / 2);
  ExpectPoint(out, 0, -1);
  p = {3, 4};
  TransformPointByTheta(&p, &p, M_PI);
  ExpectPoint(p, -3, -4);
}

TEST(Transforms, InverseTransformsReturnThePointOverRandomInputs) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> c(-1000, 1000);
  std::uniform_real_distribution<double> ang(-720, 720);
  for (int i = 0; i < 2000; ++i) {
    const _POINT2D p0{c(rng), c(rng)};
    const _POINT2D centre{c(rng), c(rng)};
    const double a = ang(rng);
    _POINT2D p = p0;
    RotatePoint(&p, &centre, a);
    EXPECT_NEAR(DistanceBtwnPoints(&p, &centre), DistanceBtwnPoints(&p0, &centre), 1e-8);
    RotatePoint(&p, &centre, -a);
    ExpectPoint(p, p0.x, p0.y, 1e-8);

    const double A[3] = {c(rng), c(rng), ang(rng)};
    const double B[3] = {c(rng), c(rng), ang(rng)};
    _POINT2D inB;
    _POINT2D back;
    p = p0;
    PtCrdntSytmTransfer(&inB, &p, A, B);
    PtCrdntSytmTransfer(&back, &inB, B, A);
    ExpectPoint(back, p0.x, p0.y, 1e-7);
  }
}

TEST(MemberGeometry, SlopesHeightsAndDistances) {
  EXPECT_NEAR(GetAngleOfSlopedMember(0, 0, 0, 3, 0, 4), 53.13010235415599, 1e-12);
  EXPECT_NEAR(GetAngleOfSlopedMember(0, 0, 4, 3, 0, 0), -53.13010235415599, 1e-12);
  EXPECT_EQ(GetAngleOfSlopedMember(0, 0, 0, 3, 0, 0.0005), 0);
  EXPECT_NEAR(GetAngleOfSlopedMember(1, 1, 0, 1, 1, 7), 90, 1e-12);

  _POINT2D p{1.5, 0};
  EXPECT_NEAR(GetZatPointonLine(0, 0, 0, 3, 0, 4, &p), 2, 1e-12);
  EXPECT_NEAR(GetZatPointonLine(0, 0, 4, 3, 0, 0, &p), 2, 1e-12);
  p = {0, 1.5};  // the plan distance counts, whatever its direction
  EXPECT_NEAR(GetZatPointonLine(0, 0, 0, 3, 0, 4, &p), 2, 1e-12);
  EXPECT_EQ(GetZatPointonLine(0, 0, 1, 0, 0, 9, &p), 1);  // vertical member

  EXPECT_DOUBLE_EQ(GetProjectedCosineAngle(5, 3), 0.8);
  EXPECT_EQ(GetProjectedCosineAngle(3, 5), 0);
  EXPECT_NEAR(GetProjectedDistance(3, 0, 4, 10), 6, 1e-12);
  EXPECT_NEAR(GetActualDistance(3, 0, 4, 6), 10, 1e-12);
  EXPECT_EQ(GetActualDistance(3, 0, 4, 0.0005), 0);
  EXPECT_EQ(GetActualDistance(0, 0, 4, 6), 0);  // vertical: no projection to undo

  // z = 2x + 3y + 1.
  EXPECT_NEAR(GetPointOnAPlane(0, 0, 1, 1, 0, 3, 0, 1, 4, 2, 2), 11, 1e-12);
  EXPECT_EQ(GetPointOnAPlane(0, 0, 1, 1, 0, 3, 2, 0, 5, 7, 7), 1);  // collinear points
}

TEST(MemberGeometry, LocalAxesAndCrossSectionOrientation) {
  double a[9];
  ObtainTransformationMatrix(0, 0, 0, 0, 0, 0, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6],
                             &a[7], &a[8]);
  for (double v : a) EXPECT_EQ(v, 0);  // no NaN from a zero vector

  // A beam along x rotated 90 degrees: r = (cos + dx, sin + dy, dz) = (10, 1, 0).
  const double expected[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const _POINT3D s{0, 0, 0};
  const _POINT3D e{10, 0, 0};
  EXPECT_EQ(GetTransformationMatrixForMember(&s, &e, M_PI / 2, &a[0], &a[1], &a[2], &a[3], &a[4],
                                             &a[5], &a[6], &a[7], &a[8]),
            1);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(a[i], expected[i], 1e-12) << i;
  // A sloped member: the axes stay orthonormal.
  const _POINT3D e2{3, 4, 12};
  GetTransformationMatrixForMember(&s, &e2, 0.3, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6],
                                   &a[7], &a[8]);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const double dot =
          a[3 * i] * a[3 * j] + a[3 * i + 1] * a[3 * j + 1] + a[3 * i + 2] * a[3 * j + 2];
      EXPECT_NEAR(dot, i == j ? 1 : 0, 1e-12) << i << j;
    }
  }
  EXPECT_NEAR(a[2], 12.0 / 13.0, 1e-12);

  // A column along +z rotated 90 degrees: (1, 0, 0) turns to (0, 1, 0), then moves to the top.
  const _POINT3D top{0, 0, 10};
  const _POINT3D p{1, 0, 0};
  _POINT3D out;
  EXPECT_EQ(GetMemberCrossSectionOrientationPoint(&s, &top, M_PI / 2, &p, &out), 1);
  ExpectPoint3(out, 0, 1, 10);
  EXPECT_EQ(GetMemberCrossSectionOrientationPoint(&s, &top, 0.0005, &p, &out), 1);
  ExpectPoint3(out, 1, 0, 0);
  const _POINT3D nearS{0.0002, 0, 0.0003};
  EXPECT_EQ(GetMemberCrossSectionOrientationPoint(&s, &nearS, 1.0, &p, &out), 0);
  ExpectPoint3(out, 0, 0, 0, 0);
}

TEST(MemberGeometry, GammaTables) {
  EXPECT_EQ(GammaToLinear(0), 0);
  EXPECT_EQ(GammaToLinear(255), 65535);
  EXPECT_EQ(GammaToLinear(128), 14386);  // (128/255)^2.2 * 65535
  EXPECT_EQ(LinearToGamma(0), 0);
  EXPECT_EQ(LinearToGamma(65535), 255);
  EXPECT_EQ(LinearToGamma(1), 2);  // the curve is steep near black
  for (int c = 0; c < 256; ++c) {
    // The linear table is coarse near black (1/255 rounds to 0), so the way back may miss by one.
    EXPECT_NEAR(LinearToGamma(GammaToLinear(static_cast<BYTE>(c))), c, 1) << c;
    if (c > 0) {
      EXPECT_GE(GammaToLinear(static_cast<BYTE>(c)), GammaToLinear(static_cast<BYTE>(c - 1)));
    }
    EXPECT_EQ(AdjustColorComponentWithGamma(static_cast<BYTE>(c), 1.0, 0), c);
    EXPECT_EQ(AdjustColorComponentWithGamma(static_cast<BYTE>(c), 1.0, 1), c);
  }
  EXPECT_EQ(AdjustColorComponentWithGamma(200, 2.0, 0), 255);  // saturates
  EXPECT_EQ(AdjustColorComponentWithGamma(55, 2.0, 1), 0);
  EXPECT_EQ(AdjustColorComponentWithGamma(200, -1.0, 0), 0);
  EXPECT_EQ(AdjustColorComponentWithGamma(200, -1.0, 1), 255);
  EXPECT_EQ(AdjustColorComponentWithGamma(255, 0.5, 0), 186);
  EXPECT_EQ(AdjustColorComponentWithGamma(0, 0.5, 1), 255 - 186);
  EXPECT_EQ(AdjustColorComponentWithGamma(100, NAN, 0), 0);
}
