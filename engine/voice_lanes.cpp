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

// The waveforms, as in oscillators.cpp. "t - x < 0" is "t < x" for the sizes
// a run takes.
struct SquareWave {
  __m128 period[kHalves], halfPeriod[kHalves];
  explicit SquareWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.square.period; }, period);
    gather(voices, [](const Voice& v) { return v.square.halfPeriod; }, halfPeriod);
  }
  __m128 valueAt(__m128 phase, int half) const {
    const __m128 t = positionInCycle(phase, period[half]);
    const __m128 firstHalf = _mm_cmplt_ps(t, halfPeriod[half]);
    return _mm_sub_ps(_mm_and_ps(firstHalf, _mm_set1_ps(2.0f)), _mm_set1_ps(1.0f));  // +1 or -1
  }
};

struct SawWave {
  __m128 period[kHalves], slope[kHalves];
  explicit SawWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.saw.period; }, period);
    gather(voices, [](const Voice& v) { return v.saw.slope; }, slope);
  }
  __m128 valueAt(__m128 phase, int half) const {
    const __m128 t = positionInCycle(phase, period[half]);
    return _mm_sub_ps(_mm_mul_ps(t, slope[half]), _mm_set1_ps(1.0f));
  }
};

struct TriangleWave {
  __m128 period[kHalves], slope[kHalves], quarterPeriod[kHalves], threeQuarterPeriod[kHalves];
  explicit TriangleWave(const Voice* voices) {
    gather(voices, [](const Voice& v) { return v.triangle.period; }, period);
    gather(voices, [](const Voice& v) { return v.triangle.slope; }, slope);
    gather(voices, [](const Voice& v) { return v.triangle.quarterPeriod; }, quarterPeriod);
    gather(voices, [](const Voice& v) { return v.triangle.threeQuarterPeriod; }, threeQuarterPeriod);
  }
  __m128 valueAt(__m128 phase, int half) const {
    const __m128 t = positionInCycle(phase, period[half]);
    const __m128 rising = _mm_mul_ps(t, slope[half]);
    const __m128 falling = _mm_sub_ps(_mm_set1_ps(2.0f), rising);
    const __m128 risingAgain = _mm_sub_ps(rising, _mm_set1_ps(4.0f));
    const __m128 beforeQuarter = _mm_cmplt_ps(t, quarterPeriod[half]);
    const __m128 beforeThreeQuarters = _mm_cmplt_ps(t, threeQuarterPeriod[half]);
    return select(beforeQuarter, rising, select(beforeThreeQuarters, falling, risingAgain));
  }
};

// phase + step rounded to float, the step a double.
__m128 advance(__m128 phase, __m128d step) {
  const __m128d low = _mm_add_pd(_mm_cvtps_pd(phase), step);
  const __m128d high = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(phase, phase)), step);
  return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}

template <typename Wave>
void runWave(Voice* voices, const double* steps, int32_t frames, float (*outputs)[VoiceLanes::kLanes]) {
  const Wave wave(voices);
  __m128 phase[kHalves], period[kHalves], state1[kHalves], state2[kHalves];
  __m128 cutoff[kHalves], keep[kHalves], velocity[kHalves], level[kHalves], increment[kHalves];
  gather(voices, [](const Voice& v) { return v.phase; }, phase);
  gather(voices, [](const Voice& v) { return v.period; }, period);
  gather(voices, [](const Voice& v) { return v.filterState1; }, state1);
  gather(voices, [](const Voice& v) { return v.filterState2; }, state2);
  gather(voices, [](const Voice& v) { return v.cutoff; }, cutoff);
  gather(voices, [](const Voice& v) { return 1.0f - v.damping * v.cutoff; }, keep);
  gather(voices, [](const Voice& v) { return v.velocity; }, velocity);
  gather(voices, [](const Voice& v) { return v.envelope.steadyStartLevel(); }, level);
  gather(voices, [](const Voice& v) { return v.envelope.steadyIncrement(); }, increment);

  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 infinity = _mm_set1_ps(INFINITY);
  const __m128d constantStep = _mm_set1_pd(voices[0].pitchFactor);
  for (int32_t i = 0; i < frames; ++i) {
    const __m128d step = steps ? _mm_set1_pd(steps[i]) : constantStep;
    for (int h = 0; h < kHalves; ++h) {
      const __m128 s = wave.valueAt(phase[h], h);

      phase[h] = advance(phase[h], step);
      const __m128 beyond = _mm_cmpgt_ps(phase[h], period[h]);
      phase[h] = _mm_sub_ps(phase[h], _mm_and_ps(beyond, period[h]));

      state1[h] = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(s, state2[h]), cutoff[h]), _mm_mul_ps(keep[h], state1[h]));
      state2[h] = _mm_add_ps(_mm_mul_ps(state1[h], cutoff[h]), _mm_mul_ps(keep[h], state2[h]));
      const __m128 finite = _mm_cmplt_ps(_mm_and_ps(state2[h], magnitude), infinity);
      state1[h] = _mm_and_ps(state1[h], finite);
      state2[h] = _mm_and_ps(state2[h], finite);

      level[h] = _mm_add_ps(level[h], increment[h]);
      _mm_storeu_ps(outputs[i] + h * kHalfLanes, _mm_mul_ps(_mm_mul_ps(level[h], state2[h]), velocity[h]));
    }
  }

  alignas(16) float values[5][VoiceLanes::kLanes];
  for (int h = 0; h < kHalves; ++h) {
    _mm_store_ps(values[0] + h * kHalfLanes, phase[h]);
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

void VoiceLanes::run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes]) {
  switch (kindOf(voices[0])) {
    case Kind::Square: runWave<SquareWave>(voices, steps, frames, outputs); break;
    case Kind::Saw: runWave<SawWave>(voices, steps, frames, outputs); break;
    case Kind::Triangle: runWave<TriangleWave>(voices, steps, frames, outputs); break;
    default: break;
  }
}
