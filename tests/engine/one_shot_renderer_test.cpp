// One-shot sounds against the instrument, bit for bit: each sound rendered by
// the one-shot lanes must equal what a fresh engine renders when driven as
// the VST 2 and LV2 fronts drive it (the rate set, the eight values applied
// as a program change applies them, a note-on at frame 0 and the note-off at
// its frame, delivered in host blocks of random lengths). Exact, with no
// tolerance: the lanes promise the voice's own IEEE operations in its order.
//
// Random patches (fixed seeds) over every waveform and its thresholds, every
// note and velocity, zero, short and long attacks, decays and releases,
// subnormal values (which the parameter calls take as they are, and the
// note-on as zeros), resonant and runaway-prone filters, at 44.1 and 96 kHz
// and at both ends of the rate range, mono and stereo, on every vector path.
#include "engine/one_shot_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/vector_paths.h"

namespace {

struct Batch {
  float rate;
  float noteSeconds, tailSeconds;
  bool stereo;
  uint32_t seed;
  int sounds;
};

const Batch kBatches[] = {
    {44100.0f, 0.3f, 0.3f, true, 1, 120},  {96000.0f, 0.2f, 0.2f, false, 2, 120},
    {44100.0f, 0.0f, 0.2f, false, 3, 30},  {96000.0f, 0.15f, 0.0f, true, 4, 30},
    {1000.0f, 3.0f, 2.0f, false, 5, 40},   {768000.0f, 0.02f, 0.02f, true, 6, 20},
};

struct Sound {
  float values[kParameterCount];
  int note, velocity;
};

// Zero, a few samples, or long beside the sound; now and then a value that
// only the parameter calls see as non-zero.
float randomTime(std::mt19937& random) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  switch (random() % 5) {
    case 0: return 0.0f;
    case 1: return 1e-40f;
    case 2: return 0.0002f * unit(random);
    case 3: return 0.05f * unit(random);
    default: return unit(random);
  }
}

float randomLevelOrCoefficient(std::mt19937& random) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float edges[] = {0.0f, 1.0f, 1e-40f};
  return random() % 8 == 0 ? edges[random() % 3] : unit(random);
}

Sound randomSound(std::mt19937& random) {
  const float waveforms[] = {0.0f, 0.33f, 0.66f, 1.0f, std::nextafter(0.33f, 0.0f), std::nextafter(0.66f, 0.0f)};
  Sound sound{};
  sound.values[waveform] = random() % 4 == 0 ? waveforms[random() % 6] : randomLevelOrCoefficient(random);
  for (int time : {attackTime, decayTime, releaseTime}) sound.values[time] = randomTime(random);
  for (int level : {peakLevel, sustainLevel, cutoff, damping}) sound.values[level] = randomLevelOrCoefficient(random);
  sound.note = static_cast<int>(random() % 128);
  sound.velocity = 1 + static_cast<int>(random() % 127);
  return sound;
}

// The instrument's render of one sound, in host blocks of random lengths.
StereoBlock instrumentRender(VectorPath path, const Batch& batch, const OneShotTiming& timing, const Sound& sound,
                             std::mt19937& random) {
  SynthEngine engine(path);
  engine.setSampleRate(batch.rate);
  const float* v = sound.values;
  engine.setWaveform(v[waveform]);
  engine.setFilter(v[cutoff], v[damping]);
  engine.setEnvelope(v[attackTime], v[peakLevel], v[decayTime], v[sustainLevel], v[releaseTime]);
  const struct {
    int64_t frame;
    MidiEvent event;
  } song[] = {{0, noteOnAt(0, sound.note, sound.velocity)}, {timing.noteOffFrame, noteOffAt(0, sound.note)}};

  StereoBlock out{std::vector<float>(timing.endFrame), std::vector<float>(timing.endFrame)};
  for (int64_t start = 0; start < timing.endFrame;) {
    const auto frames = static_cast<int32_t>(std::min<int64_t>(1 + random() % 3000, timing.endFrame - start));
    std::vector<MidiEvent> events;
    for (const auto& played : song) {
      if (played.frame >= start && played.frame < start + frames) {
        events.push_back(played.event);
        events.back().deltaFrames = static_cast<int32_t>(played.frame - start);
      }
    }
    RenderCursor cursor;
    engine.render(events.data(), static_cast<int32_t>(events.size()), cursor, out.left.data() + start,
                  out.right.data() + start, frames);
    start += frames;
  }
  return out;
}

// Hands out a list's sounds one waveform at a time, in list order.
class ListSource : public OneShotSource {
 public:
  explicit ListSource(std::vector<OneShotSound> list) : sounds(std::move(list)), taken(sounds.size()) {}
  bool take(Waveform wanted, OneShotSound& sound) override {
    for (size_t i = 0; i < sounds.size(); ++i) {
      if (!taken[i] && waveformOf(sounds[i].values[waveform]) == wanted) {
        taken[i] = true;
        sound = sounds[i];
        return true;
      }
    }
    return false;
  }
  bool stopRequested() const override { return false; }

 private:
  std::vector<OneShotSound> sounds;
  std::vector<bool> taken;
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class OneShotRendererTest : public testing::TestWithParam<VectorPath> {};

}  // namespace

TEST_P(OneShotRendererTest, EverySoundEqualsTheInstrumentsRenderOfItsNote) {
  for (const Batch& batch : kBatches) {
    std::mt19937 random(batch.seed);
    OneShotTiming timing{batch.rate, std::llround(batch.noteSeconds * batch.rate),
                         std::llround((batch.noteSeconds + batch.tailSeconds) * batch.rate)};
    std::vector<Sound> sounds;
    std::vector<StereoBlock> rendered;
    std::vector<OneShotSound> list;
    for (int i = 0; i < batch.sounds; ++i) sounds.push_back(randomSound(random));
    rendered.reserve(sounds.size());
    for (const Sound& sound : sounds) {
      rendered.push_back({std::vector<float>(timing.endFrame, NAN), std::vector<float>(timing.endFrame, NAN)});
      OneShotSound oneShot{{}, sound.note, sound.velocity, rendered.back().left.data(),
                           batch.stereo ? rendered.back().right.data() : nullptr};
      std::copy(std::begin(sound.values), std::end(sound.values), oneShot.values);
      list.push_back(oneShot);
    }
    ListSource source(list);
    ASSERT_TRUE(OneShotRenderer(GetParam(), timing).render(source));

    for (size_t i = 0; i < sounds.size(); ++i) {
      const StereoBlock expected = instrumentRender(GetParam(), batch, timing, sounds[i], random);
      const Sound& s = sounds[i];
      const auto* v = s.values;
      ASSERT_TRUE(sameBits(rendered[i].left, expected.left) &&
                  (!batch.stereo || sameBits(rendered[i].right, expected.right)))
          << "rate " << batch.rate << ", sound " << i << ": note " << s.note << " velocity " << s.velocity
          << " values " << v[0] << ' ' << v[1] << ' ' << v[2] << ' ' << v[3] << ' ' << v[4] << ' ' << v[5] << ' '
          << v[6] << ' ' << v[7];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(VectorPaths, OneShotRendererTest, testing::ValuesIn(supportedVectorPaths()),
                         vectorPathTestName);
