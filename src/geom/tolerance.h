// Tolerance comparisons. Each takes its tolerance (>= 0) as an argument and returns 1 or 0; there
// is no global epsilon. IsEqualConcrete is the one with fixed tolerances (0.001, or 1e-8 when
// `fine`).
#pragma once

extern "C" {

int parmzero(double v, double tol);           // |v| <= tol
int parmnotzero(double v, double tol);        // |v| > tol
int parmgezero(double v, double tol);         // v >= -tol
int parmgtzero(double v, double tol);         // v > tol
int parmlezero(double v, double tol);         // v <= tol
int parmltzero(double v, double tol);         // v < -tol
int parmeq(double a, double b, double tol);   // |a - b| <= tol
int parmne(double a, double b, double tol);   // |a - b| > tol
int parmge(double a, double b, double tol);   // a >= b - tol
int parmgt(double a, double b, double tol);   // a > b + tol
int parmle(double a, double b, double tol);   // a <= b + tol
int parmlt(double a, double b, double tol);   // a < b - tol
int IsEqual(double a, double b, double tol);  // |a - b| <= tol
int IsEqualConcrete(double a, double b, int fine);

// Sets *v to 0 when |*v| <= tol.
void settozero(double* v, double tol);
// a - trunc(a / b) * b, the quotient truncated toward zero through a 64-bit integer (saturated when
// it does not fit). b == 0 gives a.
double doublemod(double a, double b);

// Polygon side-marking tolerance of the polygon library; callers may change it. Starts at 0.001.
extern double gdLocalTol1;

}  // extern "C"
