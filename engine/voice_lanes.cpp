#include "engine/voice_lanes.h"

namespace {

constexpr uint32_t kAllBits = 0xFFFFFFFFu;

// The waveform of the voice's selected oscillator, or false when it points
// at none of the voice's three.
bool selectedWaveform(const Voice& voice, Waveform& wave) {
  const Oscillator* oscillator = voice.oscillator;
  if (oscillator == &voice.square) {
    wave = Waveform::Square;
  } else if (oscillator == &voice.saw) {
    wave = Waveform::Saw;
  } else if (oscillator == &voice.triangle) {
    wave = Waveform::Triangle;
  } else {
    return false;
  }
  return true;
}

}  // namespace

float oscillatorPeriod(const Voice& voice, Waveform wave) {
  switch (wave) {
    case Waveform::Square: return voice.square.period;
    case Waveform::Saw: return voice.saw.period;
    default: return voice.triangle.period;
  }
}

void loadLane(LaneVoices& lanes, int lane, const Voice& voice, Waveform wave) {
  const float cutoff = voice.cutoff;
  lanes.phase[lane] = voice.phase;
  lanes.period[lane] = voice.period;
  lanes.cycle[lane] = oscillatorPeriod(voice, wave);
  switch (wave) {
    case Waveform::Square:
      lanes.shape[0][lane] = voice.square.halfPeriod;
      break;
    case Waveform::Saw:
      lanes.shape[0][lane] = voice.saw.slope;
      break;
    default:
      lanes.shape[0][lane] = voice.triangle.slope;
      lanes.shape[1][lane] = voice.triangle.quarterPeriod;
      lanes.shape[2][lane] = voice.triangle.threeQuarterPeriod;
      break;
  }
  lanes.state1[lane] = voice.filterState1;
  lanes.state2[lane] = voice.filterState2;
  lanes.cutoff[lane] = cutoff;
  lanes.keep[lane] = 1.0f - voice.damping * cutoff;
  lanes.velocity[lane] = voice.velocity;
  lanes.level[lane] = voice.envelope.steadyStartLevel();
  lanes.increment[lane] = voice.envelope.steadyIncrement();
}

void storeLane(const LaneVoices& lanes, int lane, Voice& voice, int32_t frames) {
  voice.phase = lanes.phase[lane];
  voice.filterState1 = lanes.state1[lane];
  voice.filterState2 = lanes.state2[lane];
  voice.envelope.skipSteadyTicks(frames, lanes.level[lane]);
  voice.lfoCounter += frames;
}

bool fitsLane(const Voice& voice, Waveform wave) {
  return (voice.period == 0.0f || voice.period >= kShortestLanePeriod) &&
         oscillatorPeriod(voice, wave) >= kShortestLanePeriod && voice.phase <= kLongestLanePhase;
}

VoiceLanes::VoiceLanes(VectorPath path) : kernel(path == VectorPath::Avx2 ? runLanesAvx2 : runLanesSse2) {}

bool VoiceLanes::canRun(const Voice* voices) {
  const Voice& first = voices[0];
  Waveform wave{};
  if (!selectedWaveform(first, wave)) return false;
  for (int k = 0; k < kLanes; ++k) {
    const Voice& voice = voices[k];
    Waveform voiceWave{};
    const bool shared = selectedWaveform(voice, voiceWave) && voiceWave == wave &&
                        voice.lfoCounter == first.lfoCounter && voice.modDepth == first.modDepth &&
                        voice.pitchFactor == first.pitchFactor && voice.sampleRate == first.sampleRate;
    if (!shared || !fitsLane(voice, wave)) return false;
  }
  return true;
}

bool VoiceLanes::run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes],
                     const MixTarget& mix) const {
  // The waveform is taken once: a change arriving meanwhile waits for the
  // next run.
  Waveform wave{};
  if (!selectedWaveform(voices[0], wave)) return false;
  LaneRun run;
  run.wave = wave;
  run.frames = frames;
  run.steps = steps;
  run.constantStep = voices[0].pitchFactor;
  run.floatStep = !steps && static_cast<double>(static_cast<float>(run.constantStep)) == run.constantStep;
  run.outputs = outputs;
  run.mix = mix;
  for (int k = 0; k < kLanes; ++k) {
    loadLane(run, k, voices[k], wave);
    run.sounding[k] = voices[k].isFree() ? 0 : kAllBits;
  }
  if (!kernel(run)) return false;

  for (int k = 0; k < kLanes; ++k) storeLane(run, k, voices[k], frames);
  return true;
}
