#include "geom/numbers.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <string>

#include "geom/geom_types.h"
#include "platform/messages.h"

namespace qel::geom {

int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

namespace {
// Shown once per process: the first bad argument is worth a box, a loop of them is not.
std::atomic<bool> g_inverse_trig_reported{false};
}  // namespace

double ClampInverseTrigArg(double x, const char* caller, const char* function) {
  if (x >= -1.0 && x <= 1.0) return x;
  if (std::isnan(x)) return x;
  if (std::fabs(x) > 1.0 + kInvTrigReportMargin && !g_inverse_trig_reported.exchange(true)) {
    CString text;
    text.Format("%s Invalid argument for %s().\nContact Quarnel Technical Support.",
                caller != nullptr ? caller : "", function);
    MessageBoxA(nullptr, text, "Program Error", MB_OK | MB_ICONERROR);
  }
  return x > 0 ? 1.0 : -1.0;
}

}  // namespace qel::geom

extern "C" {

int Round(double x) { return qel::geom::TruncToInt(x >= 0 ? x + 0.5 : x - 0.5); }

double fnRoundNum(double value, double step, int mode) {
  double lo = value;
  double hi = value;
  if (step > 0) {
    lo = std::floor(value / step) * step;
    hi = std::ceil(value / step) * step;
  }
  if (mode == 1) return lo;
  if (mode == 0) return (value - lo) <= (hi - value) ? lo : hi;
  return hi;
}

double NormAngle360ToNeg360(float angle, double step) {
  if (step < qel::geom::kMinAngleStep) return angle;
  // fmodf is exact and equals repeated subtraction of 360 without looping on huge inputs.
  const float a = std::fmod(angle, 360.0f);
  return fnRoundNum(a, step, 0);
}

int QuadraticEqn(double a, double b, double c, double* r1, double* r2) {
  if (r1 == nullptr || r2 == nullptr) return 0;
  if (a == 0.0) {
    if (b == 0.0) return 0;
    *r1 = -c / b;
    return 1;
  }
  const double d = b * b - 4.0 * a * c;
  if (d < 0) return 0;
  if (d == 0) {
    *r1 = -b / (2.0 * a);
    return 1;
  }
  const double s = std::sqrt(d);
  *r1 = (-b + s) / (2.0 * a);
  *r2 = (-b - s) / (2.0 * a);
  return 2;
}

double GetVectorLength(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

double acosQEL(double x, const char* caller) {
  return std::acos(qel::geom::ClampInverseTrigArg(x, caller, "acos"));
}

double asinQEL(double x, const char* caller) {
  return std::asin(qel::geom::ClampInverseTrigArg(x, caller, "asin"));
}

}  // extern "C"

CString ConvertToFt(double inches) {
  using qel::geom::TruncToInt;
  const int feet = TruncToInt(std::trunc(inches)) / 12;
  const double r = std::fmod(inches, 12.0);
  CString text;
  if (std::fmod(r, 1.0) <= 0) {
    // The inch part of a negative length is printed from its absolute value.
    text.Format("%d'-%d\"", feet, TruncToInt(std::fmod(std::fabs(inches), 12.0)));
  } else {
    text.Format("%d'-%.2f\"", feet, r);
  }
  return text;
}
