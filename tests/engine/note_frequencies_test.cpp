#include "engine/note_frequencies.h"

#include <gtest/gtest.h>

#include <cmath>

// Exact: for every note the equal-tempered frequency lies at least 0.002
// units of the sixth decimal away from a rounding tie, far more than any
// C library's pow can be off, so recomputing the rule anywhere lands on the
// same six-decimal number, and both sides hold the double nearest to it.
TEST(NoteFrequencies, EveryEntryIsTheEqualTemperedFrequencyRoundedToSixDecimals) {
  for (int n = 0; n < kNoteCount; ++n) {
    const double hz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    EXPECT_EQ(noteFrequencies[n], std::round(hz * 1e6) / 1e6) << "note " << n;
  }
}
