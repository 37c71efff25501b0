// The engine against the plain model, sample by sample, over long renders
// that use every feature: all waveforms, vibrato, bends, resonant filters,
// volume and pan moves, envelopes of every shape, velocity-0 note-ons and
// void events. The engine renders them on every vector path the machine has,
// so every path renders the same bits as the model, and as each other.
//
// Tolerance: none, every sample must be bit-identical. The two differ only in
// their sine and 2^x: the engine's own functions against the C library's. The
// engine's 2^x may disagree with the library's in the last bit of a double;
// its vibrato sine (built from sines at 256-tick anchors) lies within 6e-16 of
// the true sine, the library's within 0.6e-16. Scaled by the vibrato depth
// (at most 0.0254) such a difference is below 2e-17, under half an ulp of
// the phase step (about 1), so the double step differs by at most one ulp,
// and that reaches the single-precision phase only if the double sum lies
// within that distance of a float rounding boundary, about 2^-29 of the time;
// over the ~10^7 voice ticks here that is not expected to happen once. Should
// it ever happen, the phase (and a square wave's edge) would shift by one
// float ulp and the samples would differ visibly, which is why no small
// tolerance would help.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/vector_paths.h"
#include "tests/model/model_synth.h"

namespace {

struct Settings {
  float waveform;
  float cutoff, damping;
  float attack, peak, decay, sustain, release;
};

const Settings kSettings[] = {
    {0.1f, 0.999f, 0.999f, 0.0f, 0.3f, 0.0f, 0.3f, 0.0f},
    {0.5f, 0.1f, 0.2f, 0.01f, 0.5f, 0.05f, 0.2f, 0.1f},
    {0.9f, 0.3f, 0.05f, 0.002f, 0.8f, 0.3f, 0.4f, 0.5f},
    {0.33f, 0.05f, 0.5f, 0.0f, 0.6f, 0.2f, 0.1f, 0.02f},
    {0.66f, 0.8f, 0.1f, 0.1f, 0.4f, 0.0f, 0.4f, 0.3f},
};

template <typename Synth>
void apply(Synth& synth, const Settings& s) {
  synth.setWaveform(s.waveform);
  synth.setFilter(s.cutoff, s.damping);
  synth.setEnvelope(s.attack, s.peak, s.decay, s.sustain, s.release);
}

// One block's worth of playing, drawn from a seeded generator.
std::vector<MidiEvent> randomEvents(std::mt19937& random, int32_t frames, std::vector<int>& held) {
  std::vector<MidiEvent> events;
  const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  const auto frame = [&] { return static_cast<int32_t>(random() % frames); };
  const auto byte = [&](int below) { return static_cast<int>(random() % below); };
  const int count = byte(5);
  for (int i = 0; i < count; ++i) {
    const int kind = byte(100);
    if (kind < 30) {
      const int note = 24 + byte(90);
      events.push_back(noteOnAt(frame(), note, 1 + byte(127)));
      held.push_back(note);
    } else if (kind < 45 && !held.empty()) {
      const size_t which = random() % held.size();
      const bool asVelocityZero = chance(50);
      events.push_back(asVelocityZero ? noteOnAt(frame(), held[which], 0) : noteOffAt(frame(), held[which]));
      held.erase(held.begin() + static_cast<std::ptrdiff_t>(which));
    } else if (kind < 60) {
      events.push_back(controllerAt(frame(), 1, byte(128)));
    } else if (kind < 75) {
      events.push_back(pitchBendAt(frame(), byte(128)));
    } else if (kind < 83) {
      events.push_back(controllerAt(frame(), 7, byte(128)));
    } else if (kind < 91) {
      events.push_back(controllerAt(frame(), 10, byte(128)));
    } else if (kind < 93) {
      events.push_back(controllerAt(frame(), chance(50) ? 123 : 126, 0));
      held.clear();
    } else {
      events.push_back({frame(), static_cast<uint8_t>(0x80 + 16 * byte(8)), static_cast<uint8_t>(byte(256)),
                        static_cast<uint8_t>(128 + byte(128))});
    }
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.deltaFrames < b.deltaFrames; });
  return events;
}

// Renders `seconds` of random playing through both, with the settings
// changing every half second, and expects every sample to be identical
// (reporting the first that is not).
void expectIdenticalRenders(VectorPath path, float sampleRate, uint32_t seed, int seconds) {
  SynthEngine engine(path);
  ModelSynth model;
  engine.setSampleRate(sampleRate);
  model.setSampleRate(sampleRate);

  std::mt19937 random(seed);
  std::vector<int> held;
  RenderCursor engineCursor, modelCursor;
  const int32_t blockSizes[] = {64, 128, 37, 512, 1, 256, 1000, 300};
  const int64_t total = static_cast<int64_t>(sampleRate) * seconds;
  const int64_t settingsEvery = static_cast<int64_t>(sampleRate) / 2;
  int64_t done = 0;
  int64_t nextSettings = 0;
  size_t settingsIndex = 0;
  int64_t mismatches = 0;
  for (size_t block = 0; done < total; ++block) {
    if (done >= nextSettings) {
      const Settings& s = kSettings[settingsIndex++ % std::size(kSettings)];
      apply(engine, s);
      apply(model, s);
      nextSettings += settingsEvery;
    }
    const int32_t frames = blockSizes[block % std::size(blockSizes)];
    const std::vector<MidiEvent> events = randomEvents(random, frames, held);
    engineCursor = RenderCursor{};
    modelCursor = RenderCursor{};
    const StereoBlock fromEngine = renderBlock(engine, events, engineCursor, frames);
    const StereoBlock fromModel = renderBlock(model, events, modelCursor, frames);
    for (int32_t i = 0; i < frames; ++i) {
      const bool same = fromEngine.left[i] == fromModel.left[i] && fromEngine.right[i] == fromModel.right[i];
      if (!same && mismatches++ == 0) {
        ADD_FAILURE() << "first difference at frame " << done + i << ": engine " << fromEngine.left[i] << ", "
                      << fromEngine.right[i] << "; model " << fromModel.left[i] << ", " << fromModel.right[i];
      }
    }
    done += frames;
  }
  EXPECT_EQ(mismatches, 0) << "of " << total << " frames";
}

class EngineMatchesModel : public testing::TestWithParam<VectorPath> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryPath, EngineMatchesModel, testing::ValuesIn(supportedVectorPaths()), vectorPathTestName);

TEST_P(EngineMatchesModel, SixSecondsAt44100) { expectIdenticalRenders(GetParam(), 44100.0f, 1, 6); }

TEST_P(EngineMatchesModel, SixSecondsAt48000) { expectIdenticalRenders(GetParam(), 48000.0f, 2, 6); }

TEST_P(EngineMatchesModel, FourSecondsAt96000WithAnotherSeed) { expectIdenticalRenders(GetParam(), 96000.0f, 3, 4); }

// A low rate: periods of high notes come near the phase step, where the wide
// paths hand runs to the baseline.
TEST_P(EngineMatchesModel, FourSecondsAt8000) { expectIdenticalRenders(GetParam(), 8000.0f, 4, 4); }
