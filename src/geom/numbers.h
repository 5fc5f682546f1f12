// Rounding, small numeric helpers, feet-and-inches text and clamped inverse trigonometry.
#pragma once

#include "platform/cstring.h"

extern "C" {

// Halves move away from zero. Results beyond the range of int saturate; NaN gives 0.
int Round(double x);
// With step > 0: lo/hi are the multiples of step below/above value (else both are value). Mode 1
// returns lo, mode 0 the nearer (lo on a tie), any other mode hi.
double fnRoundNum(double value, double step, int mode);
// step < 0.001 returns angle. Otherwise brings angle into (-360, 360) in single precision and
// rounds it to the nearer multiple of step (lower on a tie).
double NormAngle360ToNeg360(float angle, double step);
// Real roots of a*x^2 + b*x + c: 0 (null out-pointer or negative discriminant), 1 (*r1) or 2 (*r1
// with +sqrt, *r2 with -sqrt). a == 0 is solved as the linear equation (1 root, or 0 when b == 0).
int QuadraticEqn(double a, double b, double c, double* r1, double* r2);
double GetVectorLength(double x, double y, double z);
// acos/asin in radians with the argument clamped to [-1, 1]. Beyond 1.001 in magnitude the first
// occurrence in the process also shows the "Program Error" message naming `caller`.
double acosQEL(double x, const char* caller);
double asinQEL(double x, const char* caller);

}  // extern "C"

// Inches as feet and inches: 30 -> 2'-6", 30.5 -> 2'-6.50", -30 -> -2'-6".
CString ConvertToFt(double inches);

namespace qel::geom {
// Truncates toward zero into an int, saturating out-of-range values; NaN gives 0.
int TruncToInt(double v);
// Clamps x into [-1, 1]; beyond 1 + 0.001 reports once per process with `function` as the name of
// the inverse function ("acos" or "asin").
double ClampInverseTrigArg(double x, const char* caller, const char* function);
}  // namespace qel::geom
