#include "tools/hosting/song_player.h"

#include <algorithm>

#include "tools/hosting/quiet_tail.h"
#include "tools/system/tool_error.h"

SongEnd songEnd(const MidiSchedule& schedule, const TailLength& tail, int32_t sampleRate) {
  SongEnd end;
  end.lastFrame = schedule.lastFrame;
  end.untilQuiet = tail.untilQuiet;
  end.mostFrames = schedule.lastFrame + (tail.untilQuiet ? QuietTail(sampleRate).longestFrames()
                                                          : frameAt(tail.nanoseconds, sampleRate));
  return end;
}

int renderedChannels(const Instrument& instrument, const std::string& pluginName) {
  if (instrument.outputCount() < 1) throw ToolError(kExitBadModule, pluginName + ": the plug-in has no audio outputs");
  return std::min(instrument.outputCount(), kMaxRenderedChannels);
}

int64_t playSong(Instrument& instrument, const MidiSchedule& schedule, const SongEnd& end, int32_t sampleRate,
                 int32_t blockSize, const RenderedBlock& take) {
  const int channels = std::min(instrument.outputCount(), kMaxRenderedChannels);
  QuietTail quietTail(sampleRate);
  int64_t rendered = 0;
  instrument.start();
  const ScheduledEvent* next = schedule.events.data();
  const ScheduledEvent* const last = next + schedule.events.size();
  bool songOver = false;
  for (int64_t blockStart = 0; blockStart < end.mostFrames && !songOver; blockStart += blockSize) {
    const int32_t frames = static_cast<int32_t>(std::min<int64_t>(blockSize, end.mostFrames - blockStart));
    const ScheduledEvent* after = next;
    while (after != last && after->frame < blockStart + frames) ++after;
    if (after != next) {
      instrument.sendEvents(next, after, blockStart);
      next = after;
    }
    instrument.process(frames);
    float* const* outputs = instrument.outputs();
    int32_t kept = frames;
    if (end.untilQuiet && blockStart + frames > end.lastFrame) {
      // The tail starts inside this block or before it.
      const int32_t tailStart = static_cast<int32_t>(std::max<int64_t>(end.lastFrame - blockStart, 0));
      const float* tail[kMaxRenderedChannels] = {};
      for (int channel = 0; channel < channels; ++channel) tail[channel] = outputs[channel] + tailStart;
      kept = tailStart + quietTail.take(tail, channels, frames - tailStart);
      songOver = quietTail.complete();
    }
    take(outputs, kept);
    rendered += kept;
  }
  instrument.stop();
  return rendered;
}
