// The vibrato's sine: fill() on every vector path and at() agree bit for bit
// (voices ticked together and a voice ticked alone must hear the same
// vibrato), and both lie close to the true sine.
#include "engine/vibrato_sine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/engine/reference_sine.h"
#include "tests/engine/vector_paths.h"

namespace {

double trueSine(double counter, float rate) {
  return referenceSin(counter * kVibratoRadiansPerSecond / static_cast<double>(rate));
}

class VibratoSineOnPath : public testing::TestWithParam<VectorPath> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryPath, VibratoSineOnPath, testing::ValuesIn(supportedVectorPaths()), vectorPathTestName);

TEST_P(VibratoSineOnPath, FillGivesExactlyWhatAtGives) {
  VibratoSine vibrato(GetParam());
  std::mt19937_64 random(17);
  const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 8000.0f};
  for (int trial = 0; trial < 400; ++trial) {
    const float rate = rates[trial % 5];
    // Counters from the first seconds to days of sound, starting anywhere
    // relative to the anchors.
    const double first = std::floor(std::ldexp(static_cast<double>(random() % 1000000), static_cast<int>(random() % 20)));
    const int count = 1 + static_cast<int>(random() % 300);
    std::vector<double> sines(count);
    vibrato.fill(first, rate, count, sines.data());
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(sines[i], VibratoSine::at(first + i, rate)) << "counter " << first + i << " at " << rate << " Hz";
    }
  }
}

// Absolute, not relative, error: the vibrato adds the sine to 1, so only its
// distance from the true value counts. The anchor's and the offset's sine and
// cosine are each within an ulp (1.1e-16) of the truth; weighted by factors
// whose magnitudes add up to at most sqrt(2), that is 3.2e-16, and the two
// products and their sum round by at most 2.2e-16 more; the error term's own
// contribution is below 1e-20. So 6e-16 bounds it (3.3e-16 is the worst seen
// here). The library's sine is within 0.6e-16; the difference reaches the
// phase only after the vibrato depth (at most 0.0254) has scaled it far below
// the last bit of the phase step, as the comparison with the model shows.
TEST(VibratoSine, WithinSixTenthsOfAQuadrillionthOfTheTrueSine) {
  double worst = 0.0;
  for (double start : {0.0, 1e6, 16777216.0, 1e9, 3.0e10}) {
    for (double counter = start; counter < start + 20000; counter += 1.0) {
      worst = std::max(worst, std::fabs(VibratoSine::at(counter, 44100.0f) - trueSine(counter, 44100.0f)));
    }
  }
  EXPECT_LE(worst, 6e-16);
}

TEST(VibratoSine, KeepsUpWithAChangedRate) {
  VibratoSine vibrato;
  double sine = 0.0;
  vibrato.fill(1000.0, 44100.0f, 1, &sine);
  vibrato.fill(1000.0, 48000.0f, 1, &sine);
  EXPECT_EQ(sine, VibratoSine::at(1000.0, 48000.0f));
  EXPECT_NEAR(sine, trueSine(1000.0, 48000.0f), 6e-16);
}
