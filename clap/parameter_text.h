// A parameter's value as a host shows it and as a user types it: the number
// the instrument holds (a float, in the fewest digits that give it back
// exactly), then its unit, " s" for the times, or the shape it selects for
// the waveform, "0.5 (Sawtooth)". Reading takes that text back, the bare
// number, or a waveform's shape by name, as the float the instrument would
// hold, so every value it reports reads back exactly. No locale is
// consulted: a decimal point is always a point.
#pragma once

#include <cstdint>

/// False when the buffer cannot hold the text.
bool parameterValueText(int parameter, double value, char* text, uint32_t capacity);
/// False for text that is no value of the parameter.
bool parameterValueFromText(int parameter, const char* text, double* value);
