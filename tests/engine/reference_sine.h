// A slow, independent reference for the engine's sine and cosine: double-double
// arithmetic, pi/2 cut into 24-bit pieces so that k times a piece is exact for
// |k| < 2^29, and the reduced argument fed to Taylor series carried to about
// 2^-100. Rounded to a double, that is the correctly rounded value for all
// practical purposes. The C library is not the reference: the sine of the
// Windows toolchain's runtime is off by thousands of ulps for large arguments.
#pragma once

double referenceSin(double x);
double referenceCos(double x);

// |value - reference| in units in the last place of reference.
double ulpsApart(double value, double reference);
