// A song played through an instrument, block by block: its events at their
// frames, then a tail of a fixed length or until the output is quiet. A
// render to a WAV file and a render into memory (the Python package) both
// come through here, so the two hold the same samples, bit for bit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/files/midi_schedule.h"
#include "tools/hosting/instrument.h"

// A render keeps the instrument's first two outputs, or its only one.
constexpr int kMaxRenderedChannels = 2;
constexpr int64_t kMaxTailSeconds = 3600;

// How long to render past the last event: a fixed time, or until the
// output has gone quiet.
struct TailLength {
  bool untilQuiet = false;
  int64_t nanoseconds = 1000000000;  // when fixed
};

// Where a render ends: at `mostFrames`, or earlier when it ends once the
// output is quiet after `lastFrame`.
struct SongEnd {
  int64_t lastFrame = 0;
  int64_t mostFrames = 0;
  bool untilQuiet = false;
};

// The end of `schedule` followed by `tail`.
SongEnd songEnd(const MidiSchedule& schedule, const TailLength& tail, int32_t sampleRate);

// The outputs a render of `instrument` keeps. Throws ToolError
// (kExitBadModule) naming `pluginName` when it has none.
int renderedChannels(const Instrument& instrument, const std::string& pluginName);

// Takes each block's frames that belong to the song, one array per output;
// may throw to end the render.
using RenderedBlock = std::function<void(const float* const* outputs, int32_t frames)>;

// Starts the instrument, configured for `sampleRate` and `blockSize`, plays
// the schedule in blocks until `end`, handing each block to `take`, and
// stops it. Returns the frames rendered.
int64_t playSong(Instrument& instrument, const MidiSchedule& schedule, const SongEnd& end, int32_t sampleRate,
                 int32_t blockSize, const RenderedBlock& take);
