#include "engine/voice_lanes.h"

namespace {

// The shortest period (voice or oscillator) and the longest phase a run
// takes: a phase over a period then stays below 2^31 and converts to an
// integer exactly, and two distinct values of these sizes never lie within a
// subnormal distance of each other. Real periods are more than 0.08 samples.
constexpr float kShortestPeriod = 0.0625f;
constexpr float kLongestPhase = 67108864.0f;  // 2^26; a phase sticks near 2^25

constexpr uint32_t kAllBits = 0xFFFFFFFFu;

enum class Kind { Square, Saw, Triangle, Other };

Kind kindOf(const Voice& voice) {
  const Oscillator* oscillator = voice.oscillator;
  if (oscillator == &voice.square) return Kind::Square;
  if (oscillator == &voice.saw) return Kind::Saw;
  if (oscillator == &voice.triangle) return Kind::Triangle;
  return Kind::Other;
}

float periodOf(const Voice& voice, Kind kind) {
  switch (kind) {
    case Kind::Square: return voice.square.period;
    case Kind::Saw: return voice.saw.period;
    case Kind::Triangle: return voice.triangle.period;
    default: return 0.0f;
  }
}

// The oscillator's values in LaneRun::shape order.
void shapeOf(const Voice& voice, Kind kind, LaneRun& run, int lane) {
  switch (kind) {
    case Kind::Square:
      run.shape[0][lane] = voice.square.halfPeriod;
      break;
    case Kind::Saw:
      run.shape[0][lane] = voice.saw.slope;
      break;
    default:
      run.shape[0][lane] = voice.triangle.slope;
      run.shape[1][lane] = voice.triangle.quarterPeriod;
      run.shape[2][lane] = voice.triangle.threeQuarterPeriod;
      break;
  }
}

LaneRun::Wave waveOf(Kind kind) {
  switch (kind) {
    case Kind::Square: return LaneRun::Wave::Square;
    case Kind::Saw: return LaneRun::Wave::Saw;
    default: return LaneRun::Wave::Triangle;
  }
}

}  // namespace

VoiceLanes::VoiceLanes(VectorPath path) : kernel(path == VectorPath::Avx2 ? runLanesAvx2 : runLanesSse2) {}

bool VoiceLanes::canRun(const Voice* voices) {
  const Voice& first = voices[0];
  const Kind kind = kindOf(first);
  if (kind == Kind::Other) return false;
  for (int k = 0; k < kLanes; ++k) {
    const Voice& voice = voices[k];
    const bool shared = kindOf(voice) == kind && voice.lfoCounter == first.lfoCounter &&
                        voice.modDepth == first.modDepth && voice.pitchFactor == first.pitchFactor &&
                        voice.sampleRate == first.sampleRate;
    const bool sizes = (voice.period == 0.0f || voice.period >= kShortestPeriod) &&
                       periodOf(voice, kind) >= kShortestPeriod && voice.phase <= kLongestPhase;
    if (!shared || !sizes) return false;
  }
  return true;
}

bool VoiceLanes::run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes],
                     const MixTarget& mix) const {
  // The kind is taken once: a waveform change arriving meanwhile waits for
  // the next run.
  const Kind kind = kindOf(voices[0]);
  if (kind == Kind::Other) return false;
  LaneRun run;
  run.wave = waveOf(kind);
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
    run.cycle[k] = periodOf(voice, kind);
    shapeOf(voice, kind, run, k);
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
