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

void putShape(const Voice& voice, Waveform wave, float (&shape)[3][kVoiceCount], int lane) {
  switch (wave) {
    case Waveform::Square:
      shape[0][lane] = voice.square.halfPeriod;
      break;
    case Waveform::Saw:
      shape[0][lane] = voice.saw.slope;
      break;
    default:
      shape[0][lane] = voice.triangle.slope;
      shape[1][lane] = voice.triangle.quarterPeriod;
      shape[2][lane] = voice.triangle.threeQuarterPeriod;
      break;
  }
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
    const Voice& voice = voices[k];
    const float cutoff = voice.cutoff;
    run.phase[k] = voice.phase;
    run.period[k] = voice.period;
    run.cycle[k] = oscillatorPeriod(voice, wave);
    putShape(voice, wave, run.shape, k);
    run.state1[k] = voice.filterState1;
    run.state2[k] = voice.filterState2;
    run.cutoff[k] = cutoff;
    run.keep[k] = 1.0f - voice.damping * cutoff;
    run.velocity[k] = voice.velocity;
    run.level[k] = voice.envelope.steadyStartLevel();
    run.increment[k] = voice.envelope.steadyIncrement();
    run.sounding[k] = voice.isFree() ? 0 : kAllBits;
  }
  if (!kernel(run)) return false;

  for (int k = 0; k < kLanes; ++k) {
    Voice& voice = voices[k];
    voice.phase = run.phase[k];
    voice.filterState1 = run.state1[k];
    voice.filterState2 = run.state2[k];
    voice.envelope.skipSteadyTicks(frames, run.level[k]);
    voice.lfoCounter += frames;
  }
  return true;
}
