#include "engine/synth_engine.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "engine/denormal_guard.h"

namespace {

// Limits of the 16-bit range. Voice outputs are of order 1, so the clamp
// only catches runaway values.
constexpr float kMixMax = 32767.0f;
constexpr float kMixMin = -32768.0f;

// Waveform parameter thresholds, compared in double precision.
constexpr double kSawFrom = 0.33;
constexpr double kTriangleAbove = 0.66;

float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

}  // namespace

SynthEngine::SynthEngine() { setFilter(0.999f, 0.999f); }

void SynthEngine::setSampleRate(float rate) {
  if (!std::isnormal(rate) || rate < 0.0f) return;
  for (Voice& voice : voices) voice.sampleRate = rate;
}

void SynthEngine::setWaveform(float value) {
  const double choice = value;
  for (Voice& voice : voices) {
    if (choice < kSawFrom) {
      voice.oscillator = &voice.square;
    } else if (choice <= kTriangleAbove) {
      voice.oscillator = &voice.saw;
    } else {
      voice.oscillator = &voice.triangle;
    }
  }
}

void SynthEngine::setFilter(float cutoff, float damping) {
  cutoff = finiteOrZero(cutoff);
  damping = finiteOrZero(damping);
  for (Voice& voice : voices) {
    voice.cutoff = cutoff;
    voice.damping = damping;
  }
}

void SynthEngine::setEnvelope(float attack, float peak, float decay, float sustain, float release) {
  attack = finiteOrZero(attack);
  peak = finiteOrZero(peak);
  decay = finiteOrZero(decay);
  sustain = finiteOrZero(sustain);
  release = finiteOrZero(release);
  for (Voice& voice : voices) {
    Envelope& envelope = voice.envelope;
    envelope.attackLength = voice.sampleRate * attack;
    envelope.peakLevel = peak;
    envelope.decayLength = voice.sampleRate * decay;
    envelope.sustainLevel = sustain;
    envelope.releaseLength = voice.sampleRate * release;
  }
}

void SynthEngine::render(const MidiEvent* events, int32_t eventCount, RenderCursor& cursor,
                         float* left, float* right, int32_t frames) {
  if (frames <= 0) return;
  if (events == nullptr) eventCount = 0;
  const DenormalGuard denormalGuard;

  int32_t framesLeft = frames;
  while (framesLeft > 0) {
    const MidiEvent* currentEvent = nullptr;
    int32_t chunkFrames = framesLeft;
    if (cursor.nextEvent < eventCount) {
      currentEvent = &events[cursor.nextEvent];
      const int64_t framesUntilEvent =
          static_cast<int64_t>(currentEvent->deltaFrames) - cursor.eventFramePos;
      chunkFrames = static_cast<int32_t>(std::clamp<int64_t>(framesUntilEvent, 0, framesLeft));
    }

    renderFrames(left, right, chunkFrames);
    left += chunkFrames;
    right += chunkFrames;

    // No pending event lies beyond the largest int32 deltaFrames, so
    // saturating only spares a list that has been fully played from
    // overflowing after 2^31 frames.
    cursor.eventFramePos = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(cursor.eventFramePos) + chunkFrames,
                          std::numeric_limits<int32_t>::max()));

    if (currentEvent != nullptr) {
      dispatch(*currentEvent);
      ++cursor.nextEvent;
    }
    framesLeft -= chunkFrames;
  }
}

void SynthEngine::renderFrames(float* left, float* right, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    // Nothing but an event starts a voice, so once all are free the rest of
    // the chunk is silence, and no voice moves.
    if (allVoicesFree()) {
      std::fill(left + i, left + frames, 0.0f);
      std::fill(right + i, right + frames, 0.0f);
      return;
    }
    float mix = 0.0f;
    for (Voice& voice : voices) mix += voice.tick();
    if (mix > kMixMax) {
      mix = kMixMax;
    } else if (mix < kMixMin) {
      mix = kMixMin;
    } else if (std::isnan(mix)) {
      mix = 0.0f;  // only absurd envelope levels get here
    }
    left[i] = outputStage.leftGain() * mix;
    right[i] = outputStage.rightGain() * mix;
  }
}

bool SynthEngine::allVoicesFree() const {
  return std::all_of(std::begin(voices), std::end(voices), [](const Voice& v) { return v.isFree(); });
}
