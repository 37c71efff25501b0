#include "tools/hosting/quiet_tail.h"

#include <cmath>

namespace {

// -120 dBFS as an amplitude; a NaN sample is never below it.
constexpr float kQuietLevel = 1e-6f;
constexpr int64_t kLongestSeconds = 30;

bool quiet(const float* const* channels, int channelCount, int32_t frame) {
  for (int channel = 0; channel < channelCount; ++channel) {
    if (!(std::fabs(channels[channel][frame]) < kQuietLevel)) return false;
  }
  return true;
}

}  // namespace

QuietTail::QuietTail(int32_t sampleRate)
    : quietNeeded_((sampleRate + 5) / 10),  // 100 ms, to the nearest frame
      longestFrames_(kLongestSeconds * sampleRate) {}

int32_t QuietTail::take(const float* const* channels, int channelCount, int32_t frames) {
  for (int32_t frame = 0; frame < frames; ++frame) {
    quietFrames_ = quiet(channels, channelCount, frame) ? quietFrames_ + 1 : 0;
    if (complete()) return frame + 1;
  }
  return frames;
}
