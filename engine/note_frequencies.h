// Equal-tempered frequencies of the 128 MIDI notes, note 69 at 440 Hz.
#pragma once

constexpr int kNoteCount = 128;

// Entry n is 440 * 2^((n - 69) / 12) Hz rounded to six decimals. The values
// are written out rather than computed so that every build, on every target,
// holds the very same doubles.
extern const double noteFrequencies[kNoteCount];
