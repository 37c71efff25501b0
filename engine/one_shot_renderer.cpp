#include "engine/one_shot_renderer.h"

#include <algorithm>
#include <cmath>

#include "engine/denormal_guard.h"
#include "engine/mix_down.h"
#include "engine/output_stage.h"
#include "engine/voice_lanes.h"

namespace {

// Runs are cut at this length too, so that idle lanes have somewhere to write.
constexpr int32_t kLongestRun = 8192;
// The phase step of every one-shot voice: no bend, no vibrato.
constexpr float kPhaseStep = 1.0f;

// A lane with no sound in the run: silent, finite, written nowhere that counts.
void makeInert(OneShotRun::Group& group, int k, float* discarded) {
  group.phase[k] = 0.0f;
  group.period[k] = 1.0f;
  group.cycle[k] = 1.0f;
  for (float(&values)[OneShotRun::kLanes] : group.shape) values[k] = 0.0f;
  group.state1[k] = group.state2[k] = 0.0f;
  group.cutoff[k] = group.keep[k] = group.velocity[k] = 0.0f;
  group.level[k] = group.increment[k] = 0.0f;
  group.left[k] = group.right[k] = discarded;
}

// Whether a voice of the one-shot lanes stays within two periods of its
// oscillator for as long as it plays: its phase starts within its own
// period, which is at least one step and less than two oscillator periods,
// so a phase that passes its period is brought back within it at once.
bool staysWithinTwoCycles(const Voice& voice, Waveform waveform) {
  const double period = voice.period;
  return kPhaseStep <= period && voice.phase <= period && period < 2.0 * oscillatorPeriod(voice, waveform);
}

}  // namespace

OneShotRenderer::OneShotRenderer(VectorPath path, const OneShotTiming& timingValue)
    : kernel(path == VectorPath::Avx2 ? runOneShotLanesAvx2 : runOneShotLanesSse2),
      timing(timingValue),
      discarded(kLongestRun) {
  OutputStage fresh;  // at the default volume and pan, as every new instance
  leftGain = fresh.leftGain();
  rightGain = fresh.rightGain();
}

bool OneShotRenderer::render(OneShotSource& source) {
  for (Waveform waveform : {Waveform::Square, Waveform::Saw, Waveform::Triangle}) {
    for (Lane& lane : lanes) takeNext(lane, waveform, source);
    for (;;) {
      if (source.stopRequested()) {
        for (Lane& lane : lanes) lane.voice.reset();
        return false;
      }
      int64_t frames = kLongestRun;
      bool sounding = false;
      for (Lane& lane : lanes) {
        settle(lane, waveform, source);
        if (!lane.voice) continue;
        sounding = true;
        frames = std::min(frames, steadyFrames(lane));
      }
      if (!sounding) break;
      runLanes(waveform, static_cast<int32_t>(frames));
    }
  }
  return !source.stopRequested();
}

// A fresh voice at the rate, the patch applied as a program change applies it
// (on the caller's floating-point settings, as the instrument's parameter
// calls run), then the note-on, played as the renderer plays events: bend
// and vibrato cleared, the note started, denormals flushed.
void OneShotRenderer::start(Lane& lane, const OneShotSound& sound) {
  Voice& voice = lane.voice.emplace();
  voice.sampleRate = timing.sampleRate;
  const float* values = sound.values;
  voice.selectWaveform(values[waveform]);
  voice.setFilter(values[cutoff], values[damping]);
  voice.setEnvelope(values[attackTime], values[peakLevel], values[decayTime], values[sustainLevel],
                    values[releaseTime]);
  {
    const DenormalGuard denormalGuard;
    voice.setPitchBend(0.0f);
    voice.modDepth = 0.0f;
    voice.startNote(sound.note, sound.velocity);
  }
  lane.released = false;
  lane.position = 0;
  lane.left = sound.left;
  lane.right = sound.right;
}

void OneShotRenderer::takeNext(Lane& lane, Waveform waveform, OneShotSource& source) {
  OneShotSound sound;
  if (source.take(waveform, sound)) {
    start(lane, sound);
  } else {
    lane.voice.reset();
  }
}

// Plays what falls on the lane's next frame (its note-off, the end of its
// sound, a tick that changes its envelope's stage) until it can go on
// through a run, or has no sound left.
void OneShotRenderer::settle(Lane& lane, Waveform waveform, OneShotSource& source) {
  while (lane.voice) {
    Voice& voice = *lane.voice;
    if (lane.position == timing.endFrame) {
      takeNext(lane, waveform, source);
      continue;
    }
    if (!lane.released && lane.position == timing.noteOffFrame) {
      const DenormalGuard denormalGuard;
      voice.releaseNote();
      lane.released = true;
    }
    if (voice.isFree()) {
      // Once its only voice is free the instrument renders silence.
      std::fill(lane.left + lane.position, lane.left + timing.endFrame, 0.0f);
      if (lane.right) std::fill(lane.right + lane.position, lane.right + timing.endFrame, 0.0f);
      lane.position = timing.endFrame;
      continue;
    }
    if (voice.envelope.steadyTicks(1) > 0) return;
    tickVoice(lane, 1);
  }
}

int64_t OneShotRenderer::steadyFrames(const Lane& lane) const {
  const int64_t nextEvent = lane.released ? timing.endFrame : timing.noteOffFrame;
  return std::min<int64_t>(lane.voice->envelope.steadyTicks(kLongestRun), nextEvent - lane.position);
}

void OneShotRenderer::runLanes(Waveform waveform, int32_t frames) {
  const DenormalGuard denormalGuard;
  run.wave = waveform;
  run.frames = frames;
  run.step = kPhaseStep;
  run.stereo = false;
  run.withinTwoCycles = true;
  run.leftGain = leftGain;
  run.rightGain = rightGain;
  bool inLanes[kLanes] = {};
  for (int n = 0; n < kLanes; ++n) {
    OneShotRun::Group& group = run.group[n / OneShotRun::kLanes];
    const int k = n % OneShotRun::kLanes;
    const Lane& lane = lanes[n];
    inLanes[n] = lane.voice && lane.voice->pitchFactor == kPhaseStep && lane.voice->modDepth == 0.0f &&
                 fitsLane(*lane.voice, waveform);
    if (!inLanes[n]) {
      makeInert(group, k, discarded.data());
      continue;
    }
    const Voice& voice = *lane.voice;
    loadLane(group, k, voice, waveform);
    group.left[k] = lane.left + lane.position;
    group.right[k] = lane.right ? lane.right + lane.position : discarded.data();
    run.stereo = run.stereo || lane.right;
    run.withinTwoCycles = run.withinTwoCycles && staysWithinTwoCycles(voice, waveform);
  }
  kernel(run);

  for (int n = 0; n < kLanes; ++n) {
    Lane& lane = lanes[n];
    if (!lane.voice) continue;
    const OneShotRun::Group& group = run.group[n / OneShotRun::kLanes];
    const int k = n % OneShotRun::kLanes;
    // A filter that ran off to infinity or NaN stays there, so one look at
    // the end finds it; Voice::tick then redoes the run, as in the instrument.
    if (!inLanes[n] || !std::isfinite(group.state2[k])) {
      tickVoice(lane, frames);
      continue;
    }
    storeLane(group, k, *lane.voice, frames);
    lane.position += frames;
  }
}

// Ticks the lane's voice and mixes it with seven silent ones, as the
// instrument does when no other voice sounds.
void OneShotRenderer::tickVoice(Lane& lane, int32_t frames) {
  const DenormalGuard denormalGuard;
  Voice& voice = *lane.voice;
  float outputs[1][kVoiceCount] = {};
  float right = 0.0f;
  for (int32_t i = 0; i < frames; ++i) {
    outputs[0][0] = voice.tick();
    const int64_t frame = lane.position + i;
    mixDown(outputs, 1, leftGain, rightGain, lane.left + frame, lane.right ? lane.right + frame : &right);
  }
  lane.position += frames;
}
