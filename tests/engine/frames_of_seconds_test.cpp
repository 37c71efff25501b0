// Seconds to frames: the nearest frame, halves up, counted from the time to
// the nanosecond, as quorlin-host counts from the decimals it reads.
#include "engine/frames_of_seconds.h"

#include <gtest/gtest.h>

#include <limits>

TEST(FramesOfSeconds, RoundsTheTimeToTheNanosecondThenToTheNearestFrameHalvesUp) {
  const struct {
    double seconds;
    int32_t rate;
    int64_t frames;
  } cases[] = {
      {3.0, 44100, 132300},
      {1.0 / 3.0, 96000, 32000},
      {0.0045, 1000, 5},  // the double lies below 4.5 frames; the decimal is the half
      {0.0044999, 1000, 4},
      {0.5 / 44100, 44100, 1},
      {2.0 / 3.0, 44100, 29400},
      {86400.0, 768000, 66355200000},
      {4e-10, 768000, 0},
      {0.0, 44100, 0},
      {-1.0, 44100, 0},
      {std::numeric_limits<double>::quiet_NaN(), 44100, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(framesOfSeconds(c.seconds, c.rate), c.frames) << c.seconds << " s at " << c.rate;
}
