// The voices' lanes against Voice::tick, bit for bit, on every vector path
// the machine has: eight voices set up twice alike, one set ticked voice by
// voice, the other run as lanes; every output, the mix, and every field they
// change must be identical (a free voice's filter states excepted: the lanes
// leave them alone). Exact, because the lanes promise the same IEEE
// operations in the same order.
#include "engine/voice_lanes.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/vibrato_sine.h"
#include "tests/engine/vector_paths.h"

namespace {

constexpr int kVoices = VoiceLanes::kLanes;

enum class Wave { Square, Saw, Triangle };
enum class Modulation { None, Bend, Vibrato };

struct Scenario {
  Wave wave;
  Modulation modulation;
  uint32_t seed;
  float phaseSpread;  // phases up to this many oscillator periods
  uint32_t freeVoices = 0;  // bit k: voice k is made free
};

Oscillator* oscillatorOf(Voice& voice, Wave wave) {
  switch (wave) {
    case Wave::Square: return &voice.square;
    case Wave::Saw: return &voice.saw;
    default: return &voice.triangle;
  }
}

float oscillatorPeriod(const Voice& voice, Wave wave) {
  switch (wave) {
    case Wave::Square: return voice.square.period;
    case Wave::Saw: return voice.saw.period;
    default: return voice.triangle.period;
  }
}

// Puts eight voices into the state a seed picks: notes, phases (some beyond
// one or two periods), filter states and coefficients, and envelopes in every
// stage. The shared inputs (rate, counter, bend, depth) are alike in all.
void prepare(Voice (&voices)[kVoices], const Scenario& scenario) {
  std::mt19937 random(scenario.seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float rate = random() % 2 ? 44100.0f : 48000.0f;
  const double counter = static_cast<double>(random() % 100000000);
  const float bend = scenario.modulation == Modulation::None ? 0.0f : (static_cast<int>(random() % 128) - 64) * 0.0156f;
  const float depth = scenario.modulation == Modulation::Vibrato ? static_cast<float>(1 + random() % 127) * 0.0002f : 0.0f;
  for (Voice& voice : voices) {
    voice.sampleRate = rate;
    voice.lfoCounter = counter;
    voice.setPitchBend(bend);
    voice.modDepth = depth;
    voice.oscillator = oscillatorOf(voice, scenario.wave);
    voice.cutoff = 0.02f + 0.97f * unit(random);
    voice.damping = 0.05f + unit(random);
    Envelope& envelope = voice.envelope;
    envelope.attackLength = 50.0f + 3000.0f * unit(random);
    envelope.peakLevel = unit(random);
    envelope.decayLength = 50.0f + 3000.0f * unit(random);
    envelope.sustainLevel = unit(random);
    envelope.releaseLength = 50.0f + 3000.0f * unit(random);
    if (random() % 8 != 0) voice.startNote(24 + static_cast<int>(random() % 90), 1 + static_cast<int>(random() % 127));
    voice.phase = scenario.phaseSpread * oscillatorPeriod(voice, scenario.wave) * unit(random);
    voice.filterState1 = unit(random) - 0.5f;
    voice.filterState2 = unit(random) - 0.5f;
    switch (random() % 5) {
      case 0: envelope.state = Envelope::Attack; envelope.attackCount = std::floor(40.0f * unit(random)); break;
      case 1: envelope.state = Envelope::Decay; envelope.decayCount = std::floor(40.0f * unit(random)); break;
      case 2: envelope.state = Envelope::Sustain; break;
      case 3: envelope.release(); break;
      default: envelope.state = Envelope::Idle; break;
    }
    envelope.level = unit(random);
    if (envelope.state == Envelope::Release) envelope.release();
  }
  for (int k = 0; k < kVoices; ++k) {
    if (scenario.freeVoices & (1u << k)) voices[k].envelope.state = Envelope::Idle;
  }
}

int32_t steadyFrames(const Voice (&voices)[kVoices], int32_t limit) {
  for (const Voice& voice : voices) limit = voice.envelope.steadyTicks(limit);
  return limit;
}

void expectSameVoice(const Voice& lanes, const Voice& ticked, int index) {
  SCOPED_TRACE(index);
  EXPECT_EQ(lanes.phase, ticked.phase);
  if (!ticked.isFree()) {
    EXPECT_EQ(lanes.filterState1, ticked.filterState1);
    EXPECT_EQ(lanes.filterState2, ticked.filterState2);
  }
  EXPECT_EQ(lanes.lfoCounter, ticked.lfoCounter);
  EXPECT_EQ(lanes.envelope.state, ticked.envelope.state);
  EXPECT_EQ(lanes.envelope.level, ticked.envelope.level);
  EXPECT_EQ(lanes.envelope.attackCount, ticked.envelope.attackCount);
  EXPECT_EQ(lanes.envelope.decayCount, ticked.envelope.decayCount);
  EXPECT_EQ(lanes.envelope.releaseCount, ticked.envelope.releaseCount);
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Runs a setup as lanes and voice by voice for `frames` samples (no envelope
// may change stage) and expects the same outputs, mix and voices.
void expectLanesMatchTicks(VectorPath path, Voice (&lanes)[kVoices], Voice (&ticked)[kVoices], int32_t frames,
                           bool vibrato) {
  std::vector<double> steps;
  for (int32_t i = 0; i < frames; ++i) {
    steps.push_back(lanes[0].phaseStep(VibratoSine::at(lanes[0].lfoCounter + i, lanes[0].sampleRate)));
  }
  std::vector<float> outputs(static_cast<size_t>(frames) * kVoices), expected(outputs.size());
  auto* rows = reinterpret_cast<float(*)[kVoices]>(outputs.data());
  auto* expectedRows = reinterpret_cast<float(*)[kVoices]>(expected.data());
  std::vector<float> left(frames), right(frames), expectedLeft(frames), expectedRight(frames);
  const VoiceLanes voiceLanes(path);
  ASSERT_TRUE(voiceLanes.run(lanes, vibrato ? steps.data() : nullptr, frames, rows,
                             {left.data(), right.data(), 0.75f, 0.3f}));

  for (int32_t i = 0; i < frames; ++i) {
    for (int k = 0; k < kVoices; ++k) {
      expectedRows[i][k] = ticked[k].tick();
      ASSERT_EQ(rows[i][k], expectedRows[i][k]) << "frame " << i << ", voice " << k;
    }
  }
  mixDown(expectedRows, frames, 0.75f, 0.3f, expectedLeft.data(), expectedRight.data());
  EXPECT_TRUE(sameBits(left, expectedLeft));
  EXPECT_TRUE(sameBits(right, expectedRight));
  for (int k = 0; k < kVoices; ++k) expectSameVoice(lanes[k], ticked[k], k);
}

// Runs one setup both ways for as long as no envelope changes stage.
void expectLanesMatchTicks(VectorPath path, const Scenario& scenario) {
  Voice lanes[kVoices], ticked[kVoices];
  prepare(lanes, scenario);
  prepare(ticked, scenario);
  ASSERT_TRUE(VoiceLanes::canRun(lanes));
  const int32_t frames = steadyFrames(lanes, 300);
  ASSERT_GT(frames, 0);
  expectLanesMatchTicks(path, lanes, ticked, frames, scenario.modulation == Modulation::Vibrato);
}

class VoiceLanesOnPath : public testing::TestWithParam<VectorPath> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryPath, VoiceLanesOnPath, testing::ValuesIn(supportedVectorPaths()), vectorPathTestName);

TEST_P(VoiceLanesOnPath, MatchVoiceTicksForEveryWaveAndStep) {
  uint32_t seed = 1;
  for (Wave wave : {Wave::Square, Wave::Saw, Wave::Triangle}) {
    for (Modulation modulation : {Modulation::None, Modulation::Bend, Modulation::Vibrato}) {
      for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(testing::Message() << "wave " << static_cast<int>(wave) << ", modulation "
                                        << static_cast<int>(modulation) << ", seed " << seed);
        expectLanesMatchTicks(GetParam(), {wave, modulation, seed++, 1.0f});
      }
    }
  }
}

// Phases beyond one and two periods (after a note change to a higher note,
// or an oscillator switched to) take the division; the lanes must agree there
// too, and as the phase comes back one voice period per tick.
TEST_P(VoiceLanesOnPath, MatchVoiceTicksWithPhasesSeveralPeriodsOut) {
  uint32_t seed = 1000;
  for (Wave wave : {Wave::Square, Wave::Saw, Wave::Triangle}) {
    for (int trial = 0; trial < 40; ++trial) {
      SCOPED_TRACE(seed);
      expectLanesMatchTicks(GetParam(), {wave, trial % 2 ? Modulation::Vibrato : Modulation::None, seed++, 6.0f});
    }
  }
}

// A half (or all but one) of the voices free: the lanes may leave those out
// but for their phases, and the mix must not notice.
TEST_P(VoiceLanesOnPath, MatchVoiceTicksWithFreeVoices) {
  uint32_t seed = 2000;
  for (uint32_t freeVoices : {0xF0u, 0x0Fu, 0xFEu, 0x7Fu, 0xFFu}) {
    for (Modulation modulation : {Modulation::None, Modulation::Bend, Modulation::Vibrato}) {
      SCOPED_TRACE(testing::Message() << "free " << freeVoices << ", seed " << seed);
      expectLanesMatchTicks(GetParam(), {Wave::Triangle, modulation, seed++, 1.0f, freeVoices});
    }
  }
}

// Rounding toward zero, as a host might leave it: every step of a phase
// rounds that way, in the lanes as in Voice::tick.
TEST_P(VoiceLanesOnPath, MatchVoiceTicksWhenRoundingTowardZero) {
  constexpr unsigned kRoundingControl = 0x6000;
  const unsigned saved = _mm_getcsr();
  _mm_setcsr(saved | kRoundingControl);
  for (Modulation modulation : {Modulation::Bend, Modulation::Vibrato}) {
    expectLanesMatchTicks(GetParam(), {Wave::Saw, modulation, 77, 1.0f});
  }
  _mm_setcsr(saved);
}

TEST(VoiceLanes, RefuseWhatOnlyVoiceTickHandles) {
  const Scenario scenario{Wave::Saw, Modulation::Vibrato, 7, 1.0f};
  const auto refused = [&](void (*change)(Voice (&)[kVoices])) {
    Voice voices[kVoices];
    prepare(voices, scenario);
    EXPECT_TRUE(VoiceLanes::canRun(voices));
    change(voices);
    return !VoiceLanes::canRun(voices);
  };
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[3].oscillator = &v[3].square; }));  // mixed waveforms
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[5].modDepth = 0.0f; }));
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[1].setPitchBend(0.5f); }));
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[7].lfoCounter += 1.0; }));
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[2].sampleRate = 96000.0f; }));
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[0].saw.period = 0.01f; }));  // a tiny oscillator period
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[4].period = 1e-30f; }));    // a tiny voice period
  EXPECT_TRUE(refused([](Voice (&v)[kVoices]) { v[6].phase = 1e9f; }));

  class Silence : public Oscillator {
    void start(float, float) override {}
    float valueAt(float) const override { return 0.0f; }
  } silence;
  Voice voices[kVoices];
  voices[0].oscillator = &silence;
  EXPECT_FALSE(VoiceLanes::canRun(voices));
}

// Never-started voices have period 0 (every phase wraps by nothing, so it
// only grows); they tick alongside sounding ones, with and without bend and
// vibrato.
TEST_P(VoiceLanesOnPath, TakeNeverStartedVoices) {
  for (Modulation modulation : {Modulation::None, Modulation::Vibrato}) {
    Voice lanes[kVoices], ticked[kVoices];
    for (Voice* set : {lanes, ticked}) {
      for (int k = 0; k < kVoices; ++k) {
        set[k].cutoff = set[k].damping = 0.5f;
        set[k].phase = 1000.0f * static_cast<float>(k);
        if (modulation == Modulation::Vibrato) {
          set[k].setPitchBend(0.3f);
          set[k].modDepth = 0.02f;
        }
      }
      set[0].envelope.sustainLevel = 0.5f;
      set[0].startNote(60, 100);
      set[0].phase = 10.0f;
    }
    ASSERT_TRUE(VoiceLanes::canRun(lanes));
    expectLanesMatchTicks(GetParam(), lanes, ticked, 100, modulation == Modulation::Vibrato);
  }
}

// Phase sums that lie exactly halfway between two floats round to the even
// one: here 2 + k * 2^-23 for voice k, halfway for odd k, rounding down for
// k = 1 and 5 and up for k = 3 and 7.
TEST_P(VoiceLanesOnPath, MatchVoiceTicksWhenPhaseSumsTie) {
  Voice lanes[kVoices], ticked[kVoices];
  for (Voice* set : {lanes, ticked}) {
    for (int k = 0; k < kVoices; ++k) {
      set[k].envelope.state = Envelope::Sustain;
      set[k].envelope.sustainLevel = 0.5f;
      set[k].period = 100.0f;
      set[k].phase = 1.0f + static_cast<float>(k) * 0x1p-23f;
    }
  }
  ASSERT_TRUE(VoiceLanes::canRun(lanes));
  const std::vector<double> steps(4, 1.0);  // a double step, as with vibrato, of the no-bend factor
  float rows[4][kVoices], left[4], right[4];
  ASSERT_TRUE(VoiceLanes(GetParam()).run(lanes, steps.data(), 4, rows, {left, right, 1.0f, 1.0f}));
  for (int i = 0; i < 4; ++i) {
    for (Voice& voice : ticked) voice.tick();
  }
  for (int k = 0; k < kVoices; ++k) expectSameVoice(lanes[k], ticked[k], k);
}

// A filter driven to infinity: the run gives up and leaves the voices
// untouched, for Voice::tick to restart that filter on the very sample.
TEST_P(VoiceLanesOnPath, GiveUpARunInWhichAFilterRunsAway) {
  Voice voices[kVoices];
  prepare(voices, {Wave::Square, Modulation::None, 3, 1.0f});
  voices[6].cutoff = 1e20f;
  voices[6].damping = 1e20f;
  const float phase = voices[6].phase;
  const float state = voices[6].filterState2;
  const double counter = voices[0].lfoCounter;
  float rows[64][kVoices], left[64], right[64];
  voices[6].envelope.state = Envelope::Sustain;  // sounding
  EXPECT_FALSE(VoiceLanes(GetParam()).run(voices, nullptr, steadyFrames(voices, 64), rows, {left, right, 1.0f, 1.0f}));
  EXPECT_EQ(voices[6].phase, phase);
  EXPECT_EQ(voices[6].filterState2, state);
  EXPECT_EQ(voices[0].lfoCounter, counter);
}
