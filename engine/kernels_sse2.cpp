// The engine's vector kernels on SSE2, which every x86 processor we run on
// has. The voice lanes: voices 0-3 and 4-7 as two vectors of four lanes,
// worked on side by side so that their chains of dependent operations
// overlap; a half whose four voices are all free is left out, but for its
// phases. The one-shot lanes: each group of eight as two such vectors. The
// vibrato: two ticks at a time.
#include <emmintrin.h>

#include <cmath>

#include "engine/lane_kernel.h"
#include "engine/one_shot_kernel.h"
#include "engine/vibrato_kernel.h"

namespace {

constexpr int kLanes = LaneRun::kLanes;
constexpr int kHalfLanes = 4;

// Four lanes: one half of the voices.
struct Quad {
  using F = __m128;
  static constexpr int kWidth = kHalfLanes;
  static constexpr bool kFusedMix = false;

  static F load(const float* values) { return _mm_loadu_ps(values); }
  static F loadMask(const uint32_t* bits) {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bits)));
  }
  static void store(float* values, F x) { _mm_storeu_ps(values, x); }
  static F zero() { return _mm_setzero_ps(); }
  static F set1(float x) { return _mm_set1_ps(x); }
  static F add(F a, F b) { return _mm_add_ps(a, b); }
  static F sub(F a, F b) { return _mm_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm_mul_ps(a, b); }
  static F div(F a, F b) { return _mm_div_ps(a, b); }
  static F andMask(F x, F mask) { return _mm_and_ps(x, mask); }
  static F select(F mask, F ifSet, F otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, otherwise));
  }
  static F lessThan(F a, F b) { return _mm_cmplt_ps(a, b); }
  static F greaterOrEqual(F a, F b) { return _mm_cmpge_ps(a, b); }
  static F truncated(F x) { return _mm_cvtepi32_ps(_mm_cvttps_epi32(x)); }
  static bool any(F mask) { return _mm_movemask_ps(mask) != 0; }
  static bool allFinite(F x, F mask) {
    const F magnitude = _mm_and_ps(x, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
    return _mm_movemask_ps(_mm_andnot_ps(_mm_cmplt_ps(magnitude, _mm_set1_ps(INFINITY)), mask)) == 0;
  }
  static F clamped(F mix) { return _mm_max_ps(_mm_min_ps(mix, _mm_set1_ps(32767.0f)), _mm_set1_ps(-32768.0f)); }
};

// Eight lanes: both halves, each operation done on the one, then the other.
struct Halves {
  __m128 half[2];
};

struct Octet {
  using F = Halves;
  static constexpr int kWidth = kLanes;
  static constexpr bool kFusedMix = false;

  template <typename Operation>
  static F each(F a, F b, Operation operation) {
    return {{operation(a.half[0], b.half[0]), operation(a.half[1], b.half[1])}};
  }
  static F load(const float* values) { return {{Quad::load(values), Quad::load(values + kHalfLanes)}}; }
  static F loadMask(const uint32_t* bits) { return {{Quad::loadMask(bits), Quad::loadMask(bits + kHalfLanes)}}; }
  static void store(float* values, F x) {
    Quad::store(values, x.half[0]);
    Quad::store(values + kHalfLanes, x.half[1]);
  }
  static F zero() { return {{Quad::zero(), Quad::zero()}}; }
  static F set1(float x) { return {{Quad::set1(x), Quad::set1(x)}}; }
  static F add(F a, F b) { return each(a, b, Quad::add); }
  static F sub(F a, F b) { return each(a, b, Quad::sub); }
  static F mul(F a, F b) { return each(a, b, Quad::mul); }
  static F div(F a, F b) { return each(a, b, Quad::div); }
  static F andMask(F x, F mask) { return each(x, mask, Quad::andMask); }
  static F select(F mask, F ifSet, F otherwise) {
    return {{Quad::select(mask.half[0], ifSet.half[0], otherwise.half[0]),
             Quad::select(mask.half[1], ifSet.half[1], otherwise.half[1])}};
  }
  static F lessThan(F a, F b) { return each(a, b, Quad::lessThan); }
  static F greaterOrEqual(F a, F b) { return each(a, b, Quad::greaterOrEqual); }
  static F truncated(F x) { return {{Quad::truncated(x.half[0]), Quad::truncated(x.half[1])}}; }
  static bool any(F mask) { return Quad::any(_mm_or_ps(mask.half[0], mask.half[1])); }
  static bool allFinite(F x, F mask) {
    return Quad::allFinite(x.half[0], mask.half[0]) && Quad::allFinite(x.half[1], mask.half[1]);
  }
  static F clamped(F mix) { return {{Quad::clamped(mix.half[0]), Quad::clamped(mix.half[1])}}; }
  // Four blocks of four lanes by four frames, each transposed.
  static void storeColumns(const F (&rows)[kLanes], float* const* destinations, int32_t offset) {
    for (int h = 0; h < 2; ++h) {
      for (int frames = 0; frames < kLanes; frames += kHalfLanes) {
        __m128 a = rows[frames].half[h], b = rows[frames + 1].half[h];
        __m128 c = rows[frames + 2].half[h], d = rows[frames + 3].half[h];
        _MM_TRANSPOSE4_PS(a, b, c, d);
        float* const* lanes = destinations + h * kHalfLanes;
        _mm_storeu_ps(lanes[0] + offset + frames, a);
        _mm_storeu_ps(lanes[1] + offset + frames, b);
        _mm_storeu_ps(lanes[2] + offset + frames, c);
        _mm_storeu_ps(lanes[3] + offset + frames, d);
      }
    }
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
  __m128 phase[2], period[2], step;

  explicit FloatStepPhases(const LaneRun& run) : step(_mm_set1_ps(static_cast<float>(run.constantStep))) {
    for (int h = 0; h < 2; ++h) {
      phase[h] = _mm_loadu_ps(run.phase + h * kHalfLanes);
      period[h] = _mm_loadu_ps(run.period + h * kHalfLanes);
    }
  }
  void current(int first, __m128& lanes) const { lanes = phase[first / kHalfLanes]; }
  void current(int, Halves& lanes) const { lanes = {{phase[0], phase[1]}}; }
  void advance(int32_t) {
    for (int h = 0; h < 2; ++h) phase[h] = wrapped(_mm_add_ps(phase[h], step), period[h]);
  }
  void store(float* values) const {
    for (int h = 0; h < 2; ++h) _mm_storeu_ps(values + h * kHalfLanes, phase[h]);
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

// The phases of a run whose step is a double (bend, vibrato): phase + step in
// double precision, rounded to float. Two voices per vector, in its low half,
// so that the way from one phase to the next (to double, add, to float, wrap)
// needs no shuffle; that way is what bounds the run's speed.
template <typename Steps>
struct DoubleStepPhases {
  static constexpr int kPairs = kLanes / 2;
  __m128 phase[kPairs], period[kPairs];
  Steps steps;

  DoubleStepPhases(const LaneRun& run, Steps stepsValue) : steps(stepsValue) {
    for (int q = 0; q < kPairs; ++q) {
      phase[q] = _mm_setr_ps(run.phase[2 * q], run.phase[2 * q + 1], 0.0f, 0.0f);
      period[q] = _mm_setr_ps(run.period[2 * q], run.period[2 * q + 1], 0.0f, 0.0f);
    }
  }
  __m128 half(int h) const { return _mm_movelh_ps(phase[2 * h], phase[2 * h + 1]); }
  void current(int first, __m128& lanes) const { lanes = half(first / kHalfLanes); }
  void current(int, Halves& lanes) const { lanes = {{half(0), half(1)}}; }
  void advance(int32_t frame) {
    const __m128d step = steps.at(frame);
    for (int q = 0; q < kPairs; ++q) {
      phase[q] = wrapped(_mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(phase[q]), step)), period[q]);
    }
  }
  void store(float* values) const {
    for (int h = 0; h < 2; ++h) _mm_storeu_ps(values + h * kHalfLanes, half(h));
  }
};

// All eight lanes, or the one half that has sounding voices.
template <typename Phases>
bool runSoundingHalves(LaneRun& run, const Phases& phases) {
  bool sounds[2] = {false, false};
  for (int k = 0; k < kLanes; ++k) sounds[k / kHalfLanes] = sounds[k / kHalfLanes] || run.sounding[k] != 0;
  if (sounds[0] && sounds[1]) return lane_kernel::runWave<Octet, false>(run, phases, 0);
  return lane_kernel::runWave<Quad, false>(run, phases, sounds[0] ? 0 : kHalfLanes);
}

}  // namespace

bool runLanesSse2(LaneRun& run) {
  if (run.floatStep) return runSoundingHalves(run, FloatStepPhases(run));
  if (run.steps) return runSoundingHalves(run, DoubleStepPhases<StepPerFrame>(run, {run.steps}));
  return runSoundingHalves(run, DoubleStepPhases<ConstantStep>(run, {_mm_set1_pd(run.constantStep)}));
}

void runOneShotLanesSse2(OneShotRun& run) { one_shot_kernel::runAny<Octet>(run); }

void vibratoSinesSse2(const VibratoSpan& span, double* sines) { vibratoSines<Quad>(span, sines); }
