#include "engine/synth_engine.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "engine/denormal_guard.h"
#include "engine/voice_lanes.h"

SynthEngine::SynthEngine() : SynthEngine(bestVectorPath()) {}

SynthEngine::SynthEngine(VectorPath path) : lanes(path), vibratoSine(path) { setFilter(0.999f, 0.999f); }

void SynthEngine::setSampleRate(float rate) {
  if (!std::isnormal(rate) || rate < 0.0f) return;
  for (Voice& voice : voices) voice.sampleRate = rate;
}

void SynthEngine::setWaveform(float value) {
  for (Voice& voice : voices) voice.selectWaveform(value);
}

void SynthEngine::setFilter(float cutoff, float damping) {
  for (Voice& voice : voices) voice.setFilter(cutoff, damping);
}

void SynthEngine::setEnvelope(float attack, float peak, float decay, float sustain, float release) {
  for (Voice& voice : voices) voice.setEnvelope(attack, peak, decay, sustain, release);
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
  // Only events change the gains, and a chunk holds none.
  const float leftGain = outputStage.leftGain();
  const float rightGain = outputStage.rightGain();
  while (frames > 0) {
    // Nothing but an event starts a voice, so once all are free the rest of
    // the chunk is silence, and no voice moves.
    if (allVoicesFree()) {
      std::fill(left, left + frames, 0.0f);
      std::fill(right, right + frames, 0.0f);
      return;
    }
    const int32_t ticked = tickVoices(std::min(frames, kRunFrames), {left, right, leftGain, rightGain});
    left += ticked;
    right += ticked;
    frames -= ticked;
  }
}

// Ticks all voices for up to `frames` samples, mixes them into `mix` and
// answers how many. A run in which no envelope changes stage goes through the
// lanes when they can take it; the tick that changes a stage goes voice by
// voice.
int32_t SynthEngine::tickVoices(int32_t frames, const MixTarget& mix) {
  int32_t steady = frames;
  for (const Voice& voice : voices) steady = voice.envelope.steadyTicks(steady);

  if (steady > 0 && VoiceLanes::canRun(voices)) {
    const Voice& first = voices[0];
    const double* steps = nullptr;
    if (first.modDepth != 0.0f) {
      vibratoSine.fill(first.lfoCounter, first.sampleRate, steady, phaseSteps);
      for (int32_t i = 0; i < steady; ++i) phaseSteps[i] = first.phaseStep(phaseSteps[i]);
      steps = phaseSteps;
    }
    if (lanes.run(voices, steps, steady, voiceOutputs, mix)) return steady;
  }

  const int32_t ticks = std::max(steady, 1);
  for (int32_t i = 0; i < ticks; ++i) {
    for (int k = 0; k < kVoiceCount; ++k) voiceOutputs[i][k] = voices[k].tick();
  }
  mixDown(voiceOutputs, ticks, mix.leftGain, mix.rightGain, mix.left, mix.right);
  return ticks;
}

bool SynthEngine::allVoicesFree() const {
  return std::all_of(std::begin(voices), std::end(voices), [](const Voice& v) { return v.isFree(); });
}
