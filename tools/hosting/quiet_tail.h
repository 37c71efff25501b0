// Where a render with --tail auto ends: once the output has stayed below
// -120 dBFS for 100 ms after the last event, or 30 s after it at the latest.
// Every frame is looked at, so the end is the same whatever the block size.
#pragma once

#include <cstdint>

class QuietTail {
 public:
  explicit QuietTail(int32_t sampleRate);

  // The longest tail: 30 s.
  int64_t longestFrames() const { return longestFrames_; }

  // Looks at the next `frames` frames of the tail, one array per channel.
  // Returns how many of them belong to the song: all, or fewer once the
  // quiet stretch is complete (it ends with the frame that completes it).
  int32_t take(const float* const* channels, int channelCount, int32_t frames);
  bool complete() const { return quietFrames_ >= quietNeeded_; }

 private:
  int64_t quietNeeded_;
  int64_t longestFrames_;
  int64_t quietFrames_ = 0;
};
