// Where --tail auto ends. Exact: frames are counted by hand, and the level
// test is a plain comparison with the float nearest 1e-6 (-120 dBFS).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "tools/hosting/quiet_tail.h"

namespace {

// Feeds a one-channel tail in blocks of `block` frames; returns the frames kept.
int64_t keptFrames(const std::vector<float>& tail, int32_t block) {
  QuietTail quietTail(1000);  // 100 ms is 100 frames
  int64_t kept = 0;
  for (size_t start = 0; start < tail.size() && !quietTail.complete(); start += static_cast<size_t>(block)) {
    const int32_t frames = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(block), tail.size() - start));
    const float* channels[] = {tail.data() + start};
    kept += quietTail.take(channels, 1, frames);
  }
  return kept;
}

TEST(QuietTail, EndsWithTheFrameThatCompletesATenthOfASecondOfQuietWhateverTheBlocks) {
  // Loud, 99 quiet, loud (the run starts again), 100 quiet, then more.
  std::vector<float> tail(1, 0.5f);
  tail.insert(tail.end(), 99, 0.0f);
  tail.push_back(-2e-6f);
  tail.insert(tail.end(), 300, 1e-7f);
  for (int32_t block : {1, 7, 100, 4096}) EXPECT_EQ(keptFrames(tail, block), 1 + 99 + 1 + 100) << "block " << block;
}

TEST(QuietTail, QuietMeansEveryChannelStrictlyBelowTheLevelAndNaNIsNeverQuiet) {
  for (float loud : {1e-6f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()}) {
    std::vector<float> tail(300, 0.0f);
    tail[0] = 1.0f;
    tail[99] = loud;  // one frame short of a complete stretch
    EXPECT_EQ(keptFrames(tail, 64), 100 + 100) << loud;
  }
  QuietTail stereo(1000);
  const std::vector<float> silent(200, 0.0f);
  std::vector<float> right(200, 0.0f);
  right[50] = 0.25f;
  const float* channels[] = {silent.data(), right.data()};
  EXPECT_EQ(stereo.take(channels, 2, 200), 151);
}

TEST(QuietTail, LongestTailIsThirtySecondsAndTheQuietStretchIsRoundedToAFrame) {
  EXPECT_EQ(QuietTail(44100).longestFrames(), 30 * 44100);
  QuietTail odd(44105);  // 4410.5 frames round to 4411
  const std::vector<float> silence(5000, 0.0f);
  const float* channels[] = {silence.data()};
  EXPECT_EQ(odd.take(channels, 1, 5000), 4411);
}

}  // namespace
