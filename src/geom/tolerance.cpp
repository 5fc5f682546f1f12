#include "geom/tolerance.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "geom/geom_types.h"

extern "C" {

double gdLocalTol1 = 0.001;

int parmzero(double v, double tol) { return std::fabs(v) <= tol; }
int parmnotzero(double v, double tol) { return std::fabs(v) > tol; }
int parmgezero(double v, double tol) { return v >= -tol; }
int parmgtzero(double v, double tol) { return v > tol; }
int parmlezero(double v, double tol) { return v <= tol; }
int parmltzero(double v, double tol) { return v < -tol; }
int parmeq(double a, double b, double tol) { return std::fabs(a - b) <= tol; }
int parmne(double a, double b, double tol) { return std::fabs(a - b) > tol; }
int parmge(double a, double b, double tol) { return a >= b - tol; }
int parmgt(double a, double b, double tol) { return a > b + tol; }
int parmle(double a, double b, double tol) { return a <= b + tol; }
int parmlt(double a, double b, double tol) { return a < b - tol; }
int IsEqual(double a, double b, double tol) { return std::fabs(a - b) <= tol; }

int IsEqualConcrete(double a, double b, int fine) {
  return std::fabs(a - b) <= (fine ? qel::geom::kConcreteFineTol : qel::geom::kConcreteTol);
}

void settozero(double* v, double tol) {
  if (v != nullptr && std::fabs(*v) <= tol) *v = 0.0;
}

double doublemod(double a, double b) {
  if (b == 0.0) return a;
  const double q = std::trunc(a / b);
  // A quotient beyond 64 bits (or NaN) cannot go through the integer; saturate rather than invoke
  // undefined behaviour.
  constexpr double kMax = 9.2233720368547748e18;
  std::int64_t n;
  if (std::isnan(q)) return std::numeric_limits<double>::quiet_NaN();
  if (q >= kMax) {
    n = std::numeric_limits<std::int64_t>::max();
  } else if (q <= -kMax) {
    n = std::numeric_limits<std::int64_t>::min();
  } else {
    n = static_cast<std::int64_t>(q);
  }
  return a - static_cast<double>(n) * b;
}

}  // extern "C"
