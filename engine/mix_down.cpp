#include "engine/mix_down.h"

#include <xmmintrin.h>

#include <cmath>

namespace {

// Limits of the 16-bit range. Voice outputs are of order 1, so the clamp
// only catches runaway values.
constexpr float kMixMax = 32767.0f;
constexpr float kMixMin = -32768.0f;

float mixOf(const float (&outputs)[kVoiceCount]) {
  float mix = 0.0f;
  for (float output : outputs) mix += output;
  if (mix > kMixMax) return kMixMax;
  if (mix < kMixMin) return kMixMin;
  return std::isnan(mix) ? 0.0f : mix;
}

// Four frames at once: the outputs are transposed so that each vector holds
// one voice at four frames, and the sum runs voice by voice, as mixOf does.
__m128 mixOfFour(const float (*outputs)[kVoiceCount]) {
  __m128 mix = _mm_setzero_ps();
  for (int group = 0; group < kVoiceCount; group += 4) {
    __m128 a = _mm_loadu_ps(outputs[0] + group);
    __m128 b = _mm_loadu_ps(outputs[1] + group);
    __m128 c = _mm_loadu_ps(outputs[2] + group);
    __m128 d = _mm_loadu_ps(outputs[3] + group);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    mix = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(mix, a), b), c), d);
  }
  mix = _mm_and_ps(mix, _mm_cmpord_ps(mix, mix));
  return _mm_max_ps(_mm_min_ps(mix, _mm_set1_ps(kMixMax)), _mm_set1_ps(kMixMin));
}

}  // namespace

void mixDown(const float (*voiceOutputs)[kVoiceCount], int32_t frames, float leftGain, float rightGain,
             float* left, float* right) {
  const __m128 leftGains = _mm_set1_ps(leftGain);
  const __m128 rightGains = _mm_set1_ps(rightGain);
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    const __m128 mix = mixOfFour(voiceOutputs + i);
    _mm_storeu_ps(left + i, _mm_mul_ps(leftGains, mix));
    _mm_storeu_ps(right + i, _mm_mul_ps(rightGains, mix));
  }
  for (; i < frames; ++i) {
    const float mix = mixOf(voiceOutputs[i]);
    left[i] = leftGain * mix;
    right[i] = rightGain * mix;
  }
}
