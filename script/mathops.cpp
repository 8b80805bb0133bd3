// Numeric routines of the script engine, on double precision.
#include "script/mathops.h"

#include <climits>
#include <cmath>

double MathSin(double x) { return std::sin(x); }
double MathCos(double x) { return std::cos(x); }
double MathTan(double x) { return std::tan(x); }
double MathAtan(double x) { return std::atan2(x, 1.0); }

double MathAsin(double x) {
  // 1 - x² written as (1 - |x|)(1 + |x|) keeps its precision near |x| = 1.
  double r = 1.0;
  if (x != 0.0) {
    double d = 1.0 - std::fabs(x);
    r = d * 2.0 - d * d;
  }
  return std::atan2(x, std::sqrt(r));
}

double MathAcos(double x) { return 2.0 * std::atan(std::sqrt((1.0 - x) / (1.0 + x))); }
double MathExp(double x) { return std::exp(x); }
double MathLog(double x) { return std::log(x); }
double MathAbs(double x) { return std::fabs(x); }

double MathPow(double x, double y) {
  if (x == 0.0) return 0.0;
  // A negative base with an integral exponent is an ordinary power (-2 ^ 2 = 4, -2 ^ 3 = -8);
  // with a fractional exponent the result is not a real number (NaN).
  return std::pow(x, y);
}

double MathCeil(double x) { return std::ceil(x); }
double MathFloor(double x) { return std::floor(x); }
double MathMod(double x, double y) { return std::fmod(x, y); }
double MathSqrt(double x) { return std::sqrt(x); }

int MathToInt(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return INT_MAX;
  if (x <= -2147483648.0) return INT_MIN;
  return static_cast<int>(x);
}

long long MathToInt64(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 9223372036854775807.0) return LLONG_MAX;
  if (x <= -9223372036854775808.0) return LLONG_MIN;
  return static_cast<long long>(x);
}
