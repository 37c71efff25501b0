// The mix of the eight voices against the plain per-frame sum, bit for bit:
// the four-frame path must add the voices in the same order, clamp alike and
// turn NaN into silence alike.
#include "engine/mix_down.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

float plainMix(const float (&outputs)[kVoiceCount]) {
  float mix = 0.0f;
  for (float output : outputs) mix += output;
  if (mix > 32767.0f) return 32767.0f;
  if (mix < -32768.0f) return -32768.0f;
  return std::isnan(mix) ? 0.0f : mix;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(MixDown, MatchesThePlainSumOfEveryFrame) {
  std::mt19937 random(9);
  std::uniform_real_distribution<float> ordinary(-1.5f, 1.5f);
  const float unusual[] = {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN(), 3e4f, -3e4f, -0.0f, 1e-30f, 1e30f};
  for (int32_t frames = 0; frames <= 37; ++frames) {
    std::vector<float> outputs(static_cast<size_t>(frames) * kVoiceCount + 1);
    for (float& output : outputs) output = random() % 20 == 0 ? unusual[random() % 8] : ordinary(random);
    const auto* rows = reinterpret_cast<const float(*)[kVoiceCount]>(outputs.data());
    std::vector<float> left(frames + 1, 7.0f), right(frames + 1, 7.0f);
    const float leftGain = 0.75f, rightGain = 0.3f;
    mixDown(rows, frames, leftGain, rightGain, left.data(), right.data());
    for (int32_t i = 0; i < frames; ++i) {
      const float mix = plainMix(rows[i]);
      ASSERT_TRUE(sameBits(left[i], leftGain * mix)) << frames << " frames, frame " << i;
      ASSERT_TRUE(sameBits(right[i], rightGain * mix)) << frames << " frames, frame " << i;
    }
    EXPECT_EQ(left[frames], 7.0f);  // nothing written past the end
    EXPECT_EQ(right[frames], 7.0f);
  }
}

// The order matters in single precision: 1e8 + 1 - 1e8 is 0, 1e8 - 1e8 + 1 is 1.
TEST(MixDown, AddsTheVoicesInTheirOrder) {
  float outputs[4][kVoiceCount] = {};
  for (auto& row : outputs) {
    row[0] = 1e4f;
    row[1] = 1e-4f;
    row[2] = -1e4f;
  }
  float left[4], right[4];
  mixDown(outputs, 4, 1.0f, 1.0f, left, right);
  for (float sample : left) EXPECT_EQ(sample, (1e4f + 1e-4f) + -1e4f);
}
