// The floating-point routines behind the math built-ins and the "^" operator.
#pragma once

double MathSin(double x);
double MathCos(double x);
double MathTan(double x);
double MathAtan(double x);
double MathAsin(double x);
double MathAcos(double x);  // -1 gives pi
double MathExp(double x);
double MathLog(double x);  // natural logarithm
double MathAbs(double x);
// x to the power y; a base of 0 gives 0 for every y (0 ^ 0 included).
double MathPow(double x, double y);
double MathCeil(double x);
double MathFloor(double x);
// The remainder of x / y with the sign of x.
double MathMod(double x, double y);
double MathSqrt(double x);

// A double truncated toward zero into 32 bits: NaN gives 0, values beyond the range give the
// nearest limit.
int MathToInt(double x);
// The same into 64 bits.
long long MathToInt64(double x);
