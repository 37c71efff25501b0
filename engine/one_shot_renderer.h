// One-shot sounds rendered side by side: each sound is one note played with a
// patch of its own, and each is exactly what the instrument renders when a
// fresh instance at that rate is given the patch (its eight values applied as
// a program change applies them), a note-on at frame 0, the note-off at
// noteOffFrame and nothing else, up to endFrame: the mix of its one voice
// through the output stage at the default volume and pan.
//
// Sixteen lanes, each a voice of its own, run through the one-shot kernel
// (one_shot_run.h) between the frames where some lane's envelope changes
// stage, its note is released or its sound ends; the tick that changes a
// stage goes through Voice::tick, as in the instrument. A lane whose sound is
// over (its release done, or its last frame written) takes the next sound of
// the same waveform at once, since a run plays one waveform.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/one_shot_run.h"
#include "engine/parameters.h"
#include "engine/vector_path.h"
#include "engine/voice.h"

struct OneShotSound {
  float values[kParameterCount];  // in parameter order
  int32_t note;                   // 0..127
  int32_t velocity;               // 1..127
  float* left;                    // endFrame samples
  float* right;                   // endFrame samples, or null for the left output alone
};

struct OneShotTiming {
  float sampleRate;
  int64_t noteOffFrame;  // at most endFrame
  int64_t endFrame;
};

// Where a renderer takes its sounds from, one waveform at a time.
class OneShotSource {
 public:
  virtual ~OneShotSource() = default;
  // The next sound whose waveform value selects `waveform`; false when none
  // is left (or the work is to stop).
  virtual bool take(Waveform waveform, OneShotSound& sound) = 0;
  // Whether to stop at once, leaving the sounds in the lanes unfinished.
  virtual bool stopRequested() const = 0;
};

class OneShotRenderer {
 public:
  static constexpr int kLanes = OneShotRun::kGroups * OneShotRun::kLanes;

  // Sounds of `timing`, on the given vector path (which the processor must
  // support: all paths render the same bits).
  OneShotRenderer(VectorPath path, const OneShotTiming& timing);

  // Renders every sound the source gives, writing each one's frames whole.
  // Answers false when a stop was requested, which it heeds between runs,
  // leaving the sounds in its lanes unfinished.
  bool render(OneShotSource& source);

 private:
  struct Lane {
    std::optional<Voice> voice;  // none: the lane is idle
    bool released = false;
    int64_t position = 0;  // frames of the sound written
    float* left = nullptr;
    float* right = nullptr;
  };

  void start(Lane& lane, const OneShotSound& sound);
  void takeNext(Lane& lane, Waveform waveform, OneShotSource& source);
  void settle(Lane& lane, Waveform waveform, OneShotSource& source);
  int64_t steadyFrames(const Lane& lane) const;
  void runLanes(Waveform waveform, int32_t frames);
  void tickVoice(Lane& lane, int32_t frames);

  void (*kernel)(OneShotRun&);
  OneShotTiming timing;
  float leftGain;
  float rightGain;
  Lane lanes[kLanes];
  OneShotRun run;
  // Where idle lanes of a run write.
  std::vector<float> discarded;
};
