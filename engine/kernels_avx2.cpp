// The engine's vector kernels on AVX2. The voice lanes: all eight voices in
// one 256-bit vector, the mix done as the run goes. The one-shot lanes: a
// group of eight in one vector. The vibrato: four ticks at a time. Built with -mavx2 (and no fused multiply-add); entered only when
// the processor has AVX2 (vector_path.h). Nothing here has external linkage
// but the entry points, so no AVX2 code can stand in for a function the rest
// of the engine shares.
#include <immintrin.h>

#include <cmath>

#include "engine/lane_kernel.h"
#include "engine/one_shot_kernel.h"
#include "engine/vibrato_kernel.h"

namespace {

constexpr int kLanes = LaneRun::kLanes;
constexpr int kHalfLanes = 4;

struct Octet {
  using F = __m256;
  static constexpr int kWidth = kLanes;
  static constexpr bool kFusedMix = true;

  static F load(const float* values) { return _mm256_loadu_ps(values); }
  static F loadMask(const uint32_t* bits) {
    return _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits)));
  }
  static void store(float* values, F x) { _mm256_storeu_ps(values, x); }
  static F zero() { return _mm256_setzero_ps(); }
  static F set1(float x) { return _mm256_set1_ps(x); }
  static F add(F a, F b) { return _mm256_add_ps(a, b); }
  static F sub(F a, F b) { return _mm256_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm256_mul_ps(a, b); }
  static F div(F a, F b) { return _mm256_div_ps(a, b); }
  static F andMask(F x, F mask) { return _mm256_and_ps(x, mask); }
  static F select(F mask, F ifSet, F otherwise) { return _mm256_blendv_ps(otherwise, ifSet, mask); }
  static F lessThan(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OS); }
  static F greaterOrEqual(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GE_OS); }
  static F truncated(F x) { return _mm256_cvtepi32_ps(_mm256_cvttps_epi32(x)); }
  static bool any(F mask) { return _mm256_movemask_ps(mask) != 0; }
  static bool allFinite(F x, F mask) {
    const F magnitude = _mm256_and_ps(x, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
    const F finite = _mm256_cmp_ps(magnitude, _mm256_set1_ps(INFINITY), _CMP_LT_OS);
    return _mm256_movemask_ps(_mm256_andnot_ps(finite, mask)) == 0;
  }

  static F clamped(F mix) {
    return _mm256_max_ps(_mm256_min_ps(mix, _mm256_set1_ps(32767.0f)), _mm256_set1_ps(-32768.0f));
  }

  // Eight rows of eight turned into eight columns: rows[j][k] becomes
  // columns[k][j].
  __attribute__((always_inline)) static void transpose(const F (&rows)[kLanes], F (&columns)[kLanes]) {
    __m256 r[kLanes], t[kLanes];
    for (int j = 0; j < kLanes; j += 2) {
      t[j] = _mm256_unpacklo_ps(rows[j], rows[j + 1]);
      t[j + 1] = _mm256_unpackhi_ps(rows[j], rows[j + 1]);
    }
    for (int j = 0; j < kLanes; j += 4) {
      r[j] = _mm256_shuffle_ps(t[j], t[j + 2], 0x44);
      r[j + 1] = _mm256_shuffle_ps(t[j], t[j + 2], 0xEE);
      r[j + 2] = _mm256_shuffle_ps(t[j + 1], t[j + 3], 0x44);
      r[j + 3] = _mm256_shuffle_ps(t[j + 1], t[j + 3], 0xEE);
    }
    for (int j = 0; j < kHalfLanes; ++j) {
      columns[j] = _mm256_permute2f128_ps(r[j], r[j + kHalfLanes], 0x20);
      columns[j + kHalfLanes] = _mm256_permute2f128_ps(r[j], r[j + kHalfLanes], 0x31);
    }
  }

  // Eight frames: the rows are transposed so that each vector holds one
  // voice at eight frames, and the sum runs voice by voice, as mixDown does.
  // Inlined, so that it overlaps the runs' chains of dependent operations
  // (a call would save and restore every vector register).
  __attribute__((always_inline)) static void mixEight(const float (*rows)[kLanes], float* left, float* right,
                                                      float leftGain, float rightGain) {
    __m256 r[kLanes], voice[kLanes];
    for (int j = 0; j < kLanes; ++j) r[j] = _mm256_loadu_ps(rows[j]);
    transpose(r, voice);
    __m256 mix = _mm256_setzero_ps();
    for (int k = 0; k < kLanes; ++k) mix = _mm256_add_ps(mix, voice[k]);
    mix = clamped(_mm256_and_ps(mix, _mm256_cmp_ps(mix, mix, _CMP_ORD_Q)));
    _mm256_storeu_ps(left, _mm256_mul_ps(_mm256_set1_ps(leftGain), mix));
    _mm256_storeu_ps(right, _mm256_mul_ps(_mm256_set1_ps(rightGain), mix));
  }

  __attribute__((always_inline)) static void storeColumns(const F (&rows)[kLanes], float* const* destinations,
                                                          int32_t offset) {
    __m256 columns[kLanes];
    transpose(rows, columns);
    for (int k = 0; k < kLanes; ++k) _mm256_storeu_ps(destinations[k] + offset, columns[k]);
  }
};

// The phases of a run whose step is a float (see kernels_sse2.cpp).
struct FloatStepPhases {
  __m256 phase, period, step;

  explicit FloatStepPhases(const LaneRun& run)
      : phase(_mm256_loadu_ps(run.phase)),
        period(_mm256_loadu_ps(run.period)),
        step(_mm256_set1_ps(static_cast<float>(run.constantStep))) {}
  void current(int, __m256& lanes) const { lanes = phase; }
  void advance(int32_t) {
    const __m256 next = _mm256_add_ps(phase, step);
    phase = _mm256_sub_ps(next, _mm256_and_ps(_mm256_cmp_ps(next, period, _CMP_GT_OS), period));
  }
  void store(float* values) const { _mm256_storeu_ps(values, phase); }
};

struct StepPerFrame {
  const double* steps;
  __m256d at(int32_t frame) const { return _mm256_broadcast_sd(steps + frame); }
};

struct ConstantStep {
  __m256d step;
  __m256d at(int32_t) const { return step; }
};

// t rounded to the nearest float (ties to even), as a double: the 29 bits
// that a float lacks are rounded off in the integer unit, which is quicker
// than converting to float and back. Exact for t whose float is normal, and
// the same as the conversion when the processor rounds to nearest.
__m256d roundedToFloat(__m256d t) {
  const __m256i bits = _mm256_castpd_si256(t);
  const __m256i keptLowBit = _mm256_and_si256(_mm256_srli_epi64(bits, 29), _mm256_set1_epi64x(1));
  const __m256i halfLessOne = _mm256_add_epi64(bits, _mm256_set1_epi64x(0x0FFFFFFF));
  const __m256i rounded = _mm256_add_epi64(halfLessOne, keptLowBit);
  return _mm256_castsi256_pd(_mm256_and_si256(rounded, _mm256_set1_epi64x(~int64_t{0x1FFFFFFF})));
}

// The phases of a run whose step is a double (bend, vibrato), held as doubles
// with float values: phase + step in double precision, rounded to float, and
// wrapped by a period as a double subtraction. doubleStepsHold() vouches that
// the subtraction is exact, so that it is the float subtraction of a voice.
// Four voices per vector, so that the way from one phase to the next needs no
// shuffle; that way is one of the two chains that bound the run's speed (the
// filter's is the other).
template <typename Steps>
struct DoubleStepPhases {
  __m256d phase[2], period[2];
  Steps steps;

  DoubleStepPhases(const LaneRun& run, Steps stepsValue) : steps(stepsValue) {
    for (int h = 0; h < 2; ++h) {
      phase[h] = _mm256_cvtps_pd(_mm_loadu_ps(run.phase + h * kHalfLanes));
      period[h] = _mm256_cvtps_pd(_mm_loadu_ps(run.period + h * kHalfLanes));
    }
  }
  void current(int, __m256& lanes) const {
    lanes = _mm256_set_m128(_mm256_cvtpd_ps(phase[1]), _mm256_cvtpd_ps(phase[0]));
  }
  void advance(int32_t frame) {
    const __m256d step = steps.at(frame);
    for (int h = 0; h < 2; ++h) {
      const __m256d next = roundedToFloat(_mm256_add_pd(phase[h], step));
      const __m256d beyond = _mm256_cmp_pd(next, period[h], _CMP_GT_OS);
      phase[h] = _mm256_blendv_pd(next, _mm256_sub_pd(next, period[h]), beyond);
    }
  }
  void store(float* values) const {
    for (int h = 0; h < 2; ++h) _mm_storeu_ps(values + h * kHalfLanes, _mm256_cvtpd_ps(phase[h]));
  }
};

// Bounds within which the phases' double arithmetic above matches a voice's:
// sums far inside the normal floats, and a period far from overflowing.
constexpr double kSmallestStep = 0x1p-100;
constexpr double kLargestStep = 0x1p100;
constexpr double kLargestPeriod = 0x1p100;
constexpr unsigned kRoundingControl = 0x6000;  // MXCSR bits 13 and 14: 0 is to nearest

// The smallest and largest step of the run; NaN when a step is NaN.
void stepRange(const LaneRun& run, double& smallest, double& largest) {
  smallest = largest = run.constantStep;
  if (!run.steps) return;
  __m256d low = _mm256_set1_pd(run.steps[0]), high = low, unordered = _mm256_setzero_pd();
  int32_t i = 0;
  for (; i + 4 <= run.frames; i += 4) {
    const __m256d steps = _mm256_loadu_pd(run.steps + i);
    low = _mm256_min_pd(low, steps);
    high = _mm256_max_pd(high, steps);
    unordered = _mm256_or_pd(unordered, _mm256_cmp_pd(steps, steps, _CMP_UNORD_Q));
  }
  for (; i < run.frames; ++i) {
    const __m256d steps = _mm256_set1_pd(run.steps[i]);
    low = _mm256_min_pd(low, steps);
    high = _mm256_max_pd(high, steps);
    unordered = _mm256_or_pd(unordered, _mm256_cmp_pd(steps, steps, _CMP_UNORD_Q));
  }
  double lows[4], highs[4];
  _mm256_storeu_pd(lows, low);
  _mm256_storeu_pd(highs, high);
  for (int j = 0; j < 4; ++j) {
    smallest = lows[j] < smallest ? lows[j] : smallest;
    largest = highs[j] > largest ? highs[j] : largest;
  }
  if (_mm256_movemask_pd(unordered) != 0) smallest = largest = NAN;
}

// Whether this path computes the run exactly, and with no look at the phases
// on the way: the processor rounds to nearest; every step lies within bounds;
// and every phase lies within its voice's period, no step being longer than
// that period. A phase that passes its period then stays below two of them,
// the subtraction that wraps it is exact (Sterbenz), and the phase never
// leaves its period; and a sounding voice whose oscillator's period is more
// than half its own never has its phase at two oscillator periods. A voice
// that never started has period 0: its phase only grows (VoiceLanes::canRun
// bounds it), and subtracting 0 is exact too; it must not sound.
bool runHolds(const LaneRun& run) {
  if ((_mm_getcsr() & kRoundingControl) != 0) return false;
  double smallest = 0.0, largest = 0.0;
  stepRange(run, smallest, largest);
  if (!(smallest >= kSmallestStep && largest <= kLargestStep)) return false;
  for (int k = 0; k < kLanes; ++k) {
    const double phase = run.phase[k];
    const double period = run.period[k];
    const bool sounding = run.sounding[k] != 0;
    if (!(phase >= 0.0)) return false;
    if (period == 0.0 && !sounding) continue;
    if (!(largest <= period && phase <= period && period <= kLargestPeriod)) return false;
    if (sounding && !(period < 2.0 * static_cast<double>(run.cycle[k]))) return false;
  }
  return true;
}

}  // namespace

// Entered from code that may keep the stack aligned to only 4 bytes (32-bit
// Windows): it realigns the stack for its 32-byte values itself.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
bool runLanesAvx2(LaneRun& run) {
  // Rare runs (a phase left beyond a new note's period, an oscillator
  // switched to during a note, a very low sample rate) take the four-lane
  // path, which computes the same.
  if (!runHolds(run)) return runLanesSse2(run);
  if (run.floatStep) return lane_kernel::runWave<Octet, true>(run, FloatStepPhases(run), 0);
  if (run.steps) return lane_kernel::runWave<Octet, true>(run, DoubleStepPhases<StepPerFrame>(run, {run.steps}), 0);
  return lane_kernel::runWave<Octet, true>(run, DoubleStepPhases<ConstantStep>(run, {_mm256_set1_pd(run.constantStep)}),
                                           0);
}

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
void runOneShotLanesAvx2(OneShotRun& run) { one_shot_kernel::runAny<Octet>(run); }

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
void vibratoSinesAvx2(const VibratoSpan& span, double* sines) { vibratoSines<Octet>(span, sines); }
