// The two transcendental functions on the audio path, computed here rather
// than by the C library: the libraries of the Linux and Windows toolchains
// differ in their last bits, and the instrument must render the same numbers
// on both. Only basic IEEE double operations are used, in a fixed order.
#pragma once

// The argument range in which the quarter turn that x falls in is found
// reliably from x * 2/pi in double precision. The vibrato's argument grows by
// 125.6 radians a second, so it stays inside for about 17,000 years of sound;
// beyond, portableSin answers 0 (a resting vibrato) rather than noise.
constexpr double kPortableSinRange = 0x1p46;

// sin(x), within about one unit in the last place for |x| < kPortableSinRange
// (a double-double reduction by a 159-bit pi/2 keeps the reduced argument
// accurate all the way up). 0 beyond that range, NaN for NaN or infinity.
double portableSin(double x);
// cos(x), with the same accuracy and range (0 beyond it).
double portableCos(double x);

// 2^x for |x| <= 0.5, within one unit in the last place. The pitch factor
// needs |x| < 0.17. Exact reduction when x holds a float's 24 bits.
double portableExp2(double x);
