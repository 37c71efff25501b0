#include "engine/voice_lanes.h"

#include <emmintrin.h>

#include <cmath>

namespace {

constexpr int kHalves = 2;  // voices 0-3 and 4-7, four lanes each
constexpr int kHalfLanes = 4;

// The shortest period (voice or oscillator) and the longest phase a run
// takes: a phase over a period then stays below 2^31 and converts to an
// integer exactly, and two distinct values of these sizes never lie within a
// subnormal distance of each other. Real periods are more than 0.08 samples.
constexpr float kShortestPeriod = 0.0625f;
constexpr float kLongestPhase = 67108864.0f;  // 2^26; a phase sticks near 2^25

enum class Kind { Square, Saw, Triangle, Other };

Kind kindOf(const Voice& voice) {
  if (voice.oscillator == &voice.square) return Kind::Square;
  if (voice.oscillator == &voice.saw) return Kind::Saw;
  if (voice.oscillator == &voice.triangle) return Kind::Triangle;
  return Kind::Other;
}

float periodOf(const Voice& voice) {
  switch (kindOf(voice)) {
    case Kind::Square: return voice.square.period;
    case Kind::Saw: return voice.saw.period;
    case Kind::Triangle: return voice.triangle.period;
    default: return 0.0f;
  }
}

// One float field of every voice, as two vectors of four lanes.
template <typename Field>
void gather(const Voice* voices, Field field, __m128 (&lanes)[kHalves]) {
  alignas(16) float values[VoiceLanes::kLanes];
  for (int i = 0; i < VoiceLanes::kLanes; ++i) values[i] = field(voices[i]);
  lanes[0] = _mm_load_ps(values);
  lanes[1] = _mm_load_ps(values + kHalfLanes);
}

__m128 select(__m128 mask, __m128 ifSet, __m128 otherwise) {
  return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, otherwise));
}

// phase - period * trunc(phase / period): the phase over a period is below
// 2^31 here, so the conversion through an integer is the truncation.
__m128 positionInCycle(__m128 phase, __m128 period) {
  const __m128 cycles = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_div_ps(phase, period)));
  return _mm_sub_ps(phase, _mm_mul_ps(period, cycles));
}

// The same without the division, for phases below two periods. For floats,
// phase / period rounds to a value below 1 exactly when phase < period, and
// below 2 exactly when phase < 2 * period (the quotients that round up to 1
// or 2 lie closer to them than the nearest float does to period or 2 * period).
// So the truncated quotient is 0 or 1, and the position phase or
// phase - period.
__m128 positionInFirstTwoCycles(__m128 phase, __m128 period) {
  return _mm_sub_ps(phase, _mm_and_ps(_mm_cmpge_ps(phase, period), period));
}

// Whether any phase lies at or beyond two periods.
bool anyBeyondTwoCycles(const __m128 (&phase)[kHalves], const __m128 (&twoPeriods)[kHalves]) {
  const __m128 beyond = _mm_or_ps(_mm_cmpge_ps(phase[0], twoPeriods[0]), _mm_cmpge_ps(phase[1], twoPeriods[1]));
  return _mm_movemask_ps(beyond) != 0;
}

// The waveforms, as in oscillators.cpp. "t - x < 0" is "t < x" for the sizes
// a run takes.
struct SquareWave {
  __m128 halfPeriod[kHalves];
  explicit SquareWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.square.halfPeriod; }, halfPeriod);
  }
  __m128 valueAt(__m128 t, int half) const {
    const __m128 firstHalf = _mm_cmplt_ps(t, halfPeriod[half]);
    return _mm_sub_ps(_mm_and_ps(firstHalf, _mm_set1_ps(2.0f)), _mm_set1_ps(1.0f));  // +1 or -1
  }
};

struct SawWave {
  __m128 slope[kHalves];
  explicit SawWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.saw.slope; }, slope);
  }
  __m128 valueAt(__m128 t, int half) const {
    return _mm_sub_ps(_mm_mul_ps(t, slope[half]), _mm_set1_ps(1.0f));
  }
};

struct TriangleWave {
  __m128 slope[kHalves], quarterPeriod[kHalves], threeQuarterPeriod[kHalves];
  explicit TriangleWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.triangle.slope; }, slope);
    gather(voices, [](const Voice& v) { return v.triangle.quarterPeriod; }, quarterPeriod);
    gather(voices, [](const Voice& v) { return v.triangle.threeQuarterPeriod; }, threeQuarterPeriod);
  }
  __m128 valueAt(__m128 t, int half) const {
    const __m128 rising = _mm_mul_ps(t, slope[half]);
    const __m128 falling = _mm_sub_ps(_mm_set1_ps(2.0f), rising);
    const __m128 risingAgain = _mm_sub_ps(rising, _mm_set1_ps(4.0f));
    const __m128 beforeQuarter = _mm_cmplt_ps(t, quarterPeriod[half]);
    const __m128 beforeThreeQuarters = _mm_cmplt_ps(t, threeQuarterPeriod[half]);
    return select(beforeQuarter, rising, select(beforeThreeQuarters, falling, risingAgain));
  }
};

// phase - period when phase - period > 0 (which is phase > period at the
// sizes a run takes), else phase.
__m128 wrapped(__m128 phase, __m128 period) {
  return _mm_sub_ps(phase, _mm_and_ps(_mm_cmpgt_ps(phase, period), period));
}

// The phases of a run whose step is a float, as with no bend and no vibrato
// (1.0): the double sum of two floats, rounded to float, is their float sum
// (a double holds more than twice a float's bits), so one float addition per
// four voices does.
struct FloatStepPhases {
  __m128 phase[kHalves], period[kHalves], step;

  FloatStepPhases(const Voice* voices, float stepValue) : step(_mm_set1_ps(stepValue)) {
    gather(voices, [](const Voice& v) { return v.phase; }, phase);
    gather(voices, [](const Voice& v) { return v.period; }, period);
  }
  __m128 current(int half) const { return phase[half]; }
  void advance(int32_t) {
    for (int h = 0; h < kHalves; ++h) phase[h] = wrapped(_mm_add_ps(phase[h], step), period[h]);
  }
  void store(float* values) const {
    for (int h = 0; h < kHalves; ++h) _mm_store_ps(values + h * kHalfLanes, phase[h]);
  }
};

// The phases of a run whose step is a double (bend, vibrato): phase + step in
// double precision, rounded to float. Two voices per vector, in its low half,
// so that the way from one phase to the next (to double, add, to float, wrap)
// needs no shuffle; that way is what bounds the run's speed.
template <typename Steps>
struct DoubleStepPhases {
  static constexpr int kPairs = VoiceLanes::kLanes / 2;
  __m128 phase[kPairs], period[kPairs];
  Steps steps;

  DoubleStepPhases(const Voice* voices, Steps stepsValue) : steps(stepsValue) {
    float values[2][VoiceLanes::kLanes];
    for (int k = 0; k < VoiceLanes::kLanes; ++k) {
      values[0][k] = voices[k].phase;
      values[1][k] = voices[k].period;
    }
    for (int q = 0; q < kPairs; ++q) {
      phase[q] = _mm_setr_ps(values[0][2 * q], values[0][2 * q + 1], 0.0f, 0.0f);
      period[q] = _mm_setr_ps(values[1][2 * q], values[1][2 * q + 1], 0.0f, 0.0f);
    }
  }
  __m128 current(int half) const { return _mm_movelh_ps(phase[2 * half], phase[2 * half + 1]); }
  void advance(int32_t frame) {
    const __m128d step = steps.at(frame);
    for (int q = 0; q < kPairs; ++q) {
      phase[q] = wrapped(_mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(phase[q]), step)), period[q]);
    }
  }
  void store(float* values) const {
    for (int h = 0; h < kHalves; ++h) _mm_store_ps(values + h * kHalfLanes, current(h));
  }
};

// A step for every frame: the vibrato moves it.
struct StepPerFrame {
  const double* steps;
  __m128d at(int32_t frame) const { return _mm_set1_pd(steps[frame]); }
};

// One step for the whole run: the pitch factor, without vibrato.
struct ConstantStep {
  __m128d step;
  __m128d at(int32_t) const { return step; }
};

template <typename Wave, typename Phases>
bool runWave(Voice* voices, Phases phases, int32_t frames, float (*outputs)[VoiceLanes::kLanes]) {
  const Wave wave(voices);
  __m128 cycle[kHalves], twoCycles[kHalves];
  gather(voices, periodOf, cycle);
  gather(voices, [](const Voice& v) { return 2.0f * periodOf(v); }, twoCycles);
  __m128 state1[kHalves], state2[kHalves];
  __m128 cutoff[kHalves], keep[kHalves], velocity[kHalves], level[kHalves], increment[kHalves];
  gather(voices, [](const Voice& v) { return v.filterState1; }, state1);
  gather(voices, [](const Voice& v) { return v.filterState2; }, state2);
  gather(voices, [](const Voice& v) { return v.cutoff; }, cutoff);
  gather(voices, [](const Voice& v) { return 1.0f - v.damping * v.cutoff; }, keep);
  gather(voices, [](const Voice& v) { return v.velocity; }, velocity);
  gather(voices, [](const Voice& v) { return v.envelope.steadyStartLevel(); }, level);
  gather(voices, [](const Voice& v) { return v.envelope.steadyIncrement(); }, increment);

  for (int32_t i = 0; i < frames; ++i) {
    const __m128 phase[kHalves] = {phases.current(0), phases.current(1)};
    __m128 position[kHalves];
    if (anyBeyondTwoCycles(phase, twoCycles)) {
      for (int h = 0; h < kHalves; ++h) position[h] = positionInCycle(phase[h], cycle[h]);
    } else {
      for (int h = 0; h < kHalves; ++h) position[h] = positionInFirstTwoCycles(phase[h], cycle[h]);
    }
    phases.advance(i);
    for (int h = 0; h < kHalves; ++h) {
      const __m128 s = wave.valueAt(position[h], h);
      state1[h] = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(s, state2[h]), cutoff[h]), _mm_mul_ps(keep[h], state1[h]));
      state2[h] = _mm_add_ps(_mm_mul_ps(state1[h], cutoff[h]), _mm_mul_ps(keep[h], state2[h]));

      level[h] = _mm_add_ps(level[h], increment[h]);
      _mm_storeu_ps(outputs[i] + h * kHalfLanes, _mm_mul_ps(_mm_mul_ps(level[h], state2[h]), velocity[h]));
    }
  }

  // A filter that ran off to infinity or NaN stays there, so one look at the
  // end finds it; then the run is left to Voice::tick, which restarts it
  // from silence on the very sample.
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 infinity = _mm_set1_ps(INFINITY);
  const __m128 finite = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(state2[0], magnitude), infinity),
                                   _mm_cmplt_ps(_mm_and_ps(state2[1], magnitude), infinity));
  if (_mm_movemask_ps(finite) != 0xF) return false;

  alignas(16) float values[4][VoiceLanes::kLanes];
  phases.store(values[0]);
  for (int h = 0; h < kHalves; ++h) {
    _mm_store_ps(values[1] + h * kHalfLanes, state1[h]);
    _mm_store_ps(values[2] + h * kHalfLanes, state2[h]);
    _mm_store_ps(values[3] + h * kHalfLanes, level[h]);
  }
  for (int k = 0; k < VoiceLanes::kLanes; ++k) {
    Voice& voice = voices[k];
    voice.phase = values[0][k];
    voice.filterState1 = values[1][k];
    voice.filterState2 = values[2][k];
    voice.envelope.skipSteadyTicks(frames, values[3][k]);
    voice.lfoCounter += frames;
  }
  return true;
}

template <typename Wave>
bool runWave(Voice* voices, const double* steps, int32_t frames, float (*outputs)[VoiceLanes::kLanes]) {
  const double pitchFactor = voices[0].pitchFactor;
  if (steps) return runWave<Wave>(voices, DoubleStepPhases<StepPerFrame>(voices, {steps}), frames, outputs);
  if (static_cast<double>(static_cast<float>(pitchFactor)) == pitchFactor) {
    return runWave<Wave>(voices, FloatStepPhases(voices, static_cast<float>(pitchFactor)), frames, outputs);
  }
  return runWave<Wave>(voices, DoubleStepPhases<ConstantStep>(voices, {_mm_set1_pd(pitchFactor)}), frames, outputs);
}

}  // namespace

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
                       periodOf(voice) >= kShortestPeriod && voice.phase <= kLongestPhase;
    if (!shared || !sizes) return false;
  }
  return true;
}

bool VoiceLanes::run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes]) {
  switch (kindOf(voices[0])) {
    case Kind::Square: return runWave<SquareWave>(voices, steps, frames, outputs);
    case Kind::Saw: return runWave<SawWave>(voices, steps, frames, outputs);
    case Kind::Triangle: return runWave<TriangleWave>(voices, steps, frames, outputs);
    default: return false;
  }
}
