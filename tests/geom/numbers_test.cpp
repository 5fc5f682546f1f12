// Tolerance comparisons, rounding, feet-and-inches text and the clamped inverse trigonometry.
#include "geom/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "geom/tolerance.h"
#include "test_support.h"

TEST(Tolerance, ComparisonsIncludeOrExcludeTheBoundaryAsDocumented) {
  // Each function once on its boundary and once beyond it: tolerance 0.25 against zero, 0.5
  // between two values.
  const struct {
    int (*f)(double, double);
    double v;
    int want;
  } zero[] = {{parmzero, 0.25, 1},    {parmzero, -0.5, 0},    {parmnotzero, 0.25, 0},
              {parmnotzero, -0.5, 1}, {parmgezero, -0.25, 1}, {parmgezero, -0.5, 0},
              {parmgtzero, 0.25, 0},  {parmgtzero, 0.5, 1},   {parmlezero, 0.25, 1},
              {parmlezero, 0.5, 0},   {parmltzero, -0.25, 0}, {parmltzero, -0.5, 1}};
  for (const auto& r : zero) EXPECT_EQ(r.f(r.v, 0.25), r.want) << "row " << &r - zero;
  const struct {
    int (*f)(double, double, double);
    double a, b;
    int want;
  } pair[] = {{parmeq, 1.0, 1.5, 1},  {parmeq, 1.0, 1.75, 0}, {parmne, 1.0, 1.5, 0},
              {parmne, 1.0, 1.75, 1}, {parmge, 1.0, 1.5, 1},  {parmge, 0.75, 1.5, 0},
              {parmgt, 2.0, 1.5, 0},  {parmgt, 2.25, 1.5, 1}, {parmle, 2.0, 1.5, 1},
              {parmle, 2.25, 1.5, 0}, {parmlt, 1.0, 1.5, 0},  {parmlt, 0.75, 1.5, 1},
              {IsEqual, 3.0, 3.5, 1}, {IsEqual, 3.0, 3.75, 0}};
  for (const auto& r : pair) EXPECT_EQ(r.f(r.a, r.b, 0.5), r.want) << "row " << &r - pair;
  // IsEqualConcrete ignores any caller tolerance: 0.001 normally, 1e-8 in fine mode.
  EXPECT_EQ(IsEqualConcrete(1.0, 1.0005, 0), 1);
  EXPECT_EQ(IsEqualConcrete(1.0, 1.002, 0), 0);
  EXPECT_EQ(IsEqualConcrete(1.0, 1.0005, 1), 0);
  EXPECT_EQ(IsEqualConcrete(1.0, 1.0 + 5e-9, 1), 1);
}

TEST(Tolerance, SetToZeroAndTruncatingModulo) {
  double v = -0.25;
  settozero(&v, 0.25);
  EXPECT_EQ(v, 0.0);
  v = 0.5;
  settozero(&v, 0.25);
  EXPECT_EQ(v, 0.5);
  settozero(nullptr, 1.0);  // must not crash

  EXPECT_DOUBLE_EQ(doublemod(7.5, 2.0), 1.5);
  EXPECT_DOUBLE_EQ(doublemod(-7.5, 2.0), -1.5);  // truncation toward zero, not floor
  EXPECT_DOUBLE_EQ(doublemod(7.5, -2.0), 1.5);
  EXPECT_EQ(doublemod(5.0, 0.0), 5.0);
  // A quotient beyond 64 bits saturates instead of overflowing the integer.
  EXPECT_TRUE(std::isfinite(doublemod(1e300, 1e-10)));
  EXPECT_TRUE(std::isnan(doublemod(NAN, 2.0)));
}

TEST(Numbers, RoundingMovesHalvesAwayFromZero) {
  EXPECT_EQ(Round(2.5), 3);
  EXPECT_EQ(Round(-2.5), -3);
  EXPECT_EQ(Round(2.49), 2);
  EXPECT_EQ(Round(-2.49), -2);
  EXPECT_EQ(Round(1e20), INT_MAX);
  EXPECT_EQ(Round(-1e20), INT_MIN);
  EXPECT_EQ(Round(NAN), 0);

  EXPECT_DOUBLE_EQ(fnRoundNum(7.5, 5, 0), 5);  // a tie goes to the lower multiple
  EXPECT_DOUBLE_EQ(fnRoundNum(8, 5, 0), 10);
  EXPECT_DOUBLE_EQ(fnRoundNum(8, 5, 1), 5);
  EXPECT_DOUBLE_EQ(fnRoundNum(6, 5, 2), 10);
  EXPECT_DOUBLE_EQ(fnRoundNum(-7.5, 5, 0), -10);  // lower, not toward zero
  EXPECT_DOUBLE_EQ(fnRoundNum(7.3, 0, 0), 7.3);
  EXPECT_DOUBLE_EQ(fnRoundNum(7.3, -1, 2), 7.3);

  EXPECT_DOUBLE_EQ(NormAngle360ToNeg360(370.0f, 5), 10);
  EXPECT_DOUBLE_EQ(NormAngle360ToNeg360(-370.0f, 5), -10);
  EXPECT_DOUBLE_EQ(NormAngle360ToNeg360(12.4f, 5), 10);
  EXPECT_DOUBLE_EQ(NormAngle360ToNeg360(-12.5f, 5), -15);
  EXPECT_DOUBLE_EQ(NormAngle360ToNeg360(725.0f, 0.0005), 725);  // step too small: unchanged
  const double huge = NormAngle360ToNeg360(1e30f, 1);           // must not loop for ever
  EXPECT_GT(huge, -360.5);
  EXPECT_LT(huge, 360.5);
}

TEST(Numbers, QuadraticRootsAndVectorLength) {
  double r1 = 0;
  double r2 = 0;
  EXPECT_EQ(QuadraticEqn(1, 2, 1, &r1, &r2), 1);
  EXPECT_DOUBLE_EQ(r1, -1);
  EXPECT_EQ(QuadraticEqn(1, 0, 1, &r1, &r2), 0);
  EXPECT_EQ(QuadraticEqn(1, -3, 2, nullptr, &r2), 0);
  EXPECT_EQ(QuadraticEqn(1, -3, 2, &r1, nullptr), 0);
  EXPECT_EQ(QuadraticEqn(0, 2, -4, &r1, &r2), 1);
  EXPECT_DOUBLE_EQ(r1, 2);
  EXPECT_EQ(QuadraticEqn(0, 0, 1, &r1, &r2), 0);
  EXPECT_DOUBLE_EQ(GetVectorLength(2, 3, 6), 7);
}

TEST(Numbers, FeetAndInchesText) {
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(30)), "2'-6\"");
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(30.5)), "2'-6.50\"");
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(-30)), "-2'-6\"");
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(144)), "12'-0\"");
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(0.25)), "0'-0.25\"");
  EXPECT_STREQ(static_cast<const char*>(ConvertToFt(1e30)), "178956970'-4\"");
}

TEST(Numbers, InverseTrigClampsAndReportsOncePerProcess) {
  qeltest::MessageCapture capture;
  EXPECT_DOUBLE_EQ(acosQEL(0.5, "A:"), std::acos(0.5));
  EXPECT_DOUBLE_EQ(asinQEL(-0.5, "A:"), std::asin(-0.5));
  // Slightly beyond 1 is rounding noise: clamped silently.
  EXPECT_DOUBLE_EQ(acosQEL(1.0005, "A:"), 0.0);
  EXPECT_DOUBLE_EQ(asinQEL(-1.0005, "A:"), -M_PI / 2);
  EXPECT_TRUE(capture.boxes().empty());
  // Clearly beyond: clamped and reported once.
  EXPECT_DOUBLE_EQ(acosQEL(1.5, "CheckBeam:"), 0.0);
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].caption, "Program Error");
  EXPECT_EQ(capture.boxes()[0].text,
            "CheckBeam: Invalid argument for acos().\nContact Quarnel Technical Support.");
  EXPECT_DOUBLE_EQ(asinQEL(2.0, "Other:"), M_PI / 2);
  EXPECT_DOUBLE_EQ(acosQEL(-3.0, nullptr), M_PI);
  EXPECT_EQ(capture.boxes().size(), 1u);
}
