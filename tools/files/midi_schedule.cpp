#include "tools/files/midi_schedule.h"

#include <algorithm>
#include <cmath>

#include "tools/system/tool_error.h"

namespace {

constexpr uint64_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 beats per minute
constexpr uint64_t kMicrosecondsPerSecond = 1000000;

// A song position in seconds held as wholeSeconds + remainder / unitsPerSecond,
// where one tick lasts unitsPerTick units.
class SongClock {
 public:
  SongClock(const MidiDivision& division, int32_t sampleRate) : sampleRate_(static_cast<uint64_t>(sampleRate)) {
    if (division.smpte) {
      // 29 stands for 30 frames per 1.001 seconds.
      const bool dropFrame = division.framesPerSecond == 29;
      unitsPerSecond_ = (dropFrame ? 30000 : uint64_t{division.framesPerSecond}) * division.ticksPerFrame;
      unitsPerTick_ = dropFrame ? 1001 : 1;
    } else {
      unitsPerSecond_ = uint64_t{division.ticksPerQuarter} * kMicrosecondsPerSecond;
      unitsPerTick_ = kDefaultTempo;
    }
  }

  void setUnitsPerTick(uint64_t units) { unitsPerTick_ = units; }

  // False when the song would pass kMaxSongSeconds.
  bool advance(uint64_t ticks) {
    // ticks * unitsPerTick / unitsPerSecond, split so that no product overflows.
    const uint64_t wholeParts = ticks / unitsPerSecond_;
    if (wholeParts > static_cast<uint64_t>(kMaxSongSeconds)) return false;
    wholeSeconds_ += wholeParts * unitsPerTick_;
    remainder_ += (ticks % unitsPerSecond_) * unitsPerTick_;
    wholeSeconds_ += remainder_ / unitsPerSecond_;
    remainder_ %= unitsPerSecond_;
    return wholeSeconds_ < static_cast<uint64_t>(kMaxSongSeconds);
  }

  // floor(t * rate + 1/2) = wholeSeconds * rate + floor((2 * remainder * rate + units) / (2 * units)).
  int64_t frame() const {
    const uint64_t fraction = (2 * remainder_ * sampleRate_ + unitsPerSecond_) / (2 * unitsPerSecond_);
    return static_cast<int64_t>(wholeSeconds_ * sampleRate_ + fraction);
  }

 private:
  uint64_t sampleRate_;
  uint64_t unitsPerSecond_ = 1;
  uint64_t unitsPerTick_ = 1;
  uint64_t wholeSeconds_ = 0;
  uint64_t remainder_ = 0;
};

struct EventReference {
  uint64_t tick;
  const MidiFileEvent* event;
};

// All events of all tracks in the order they are played.
std::vector<EventReference> mergeTracks(const MidiFile& file) {
  std::vector<EventReference> merged;
  for (const MidiTrack& track : file.tracks) {
    for (const MidiFileEvent& event : track.events) merged.push_back({event.tick, &event});
  }
  // Stable: equal ticks keep the track order and, within a track, the file order.
  std::stable_sort(merged.begin(), merged.end(),
                   [](const EventReference& a, const EventReference& b) { return a.tick < b.tick; });
  return merged;
}

}  // namespace

MidiSchedule scheduleMidiFile(const MidiFile& file, int32_t sampleRate) {
  MidiSchedule schedule;
  SongClock clock(file.division, sampleRate);
  uint64_t previousTick = 0;
  for (const EventReference& reference : mergeTracks(file)) {
    const MidiFileEvent& event = *reference.event;
    if (!clock.advance(event.tick - previousTick)) {
      throw MidiFileError(event.fileOffset,
                          "event lies more than " + std::to_string(kMaxSongSeconds / 3600) + " hours into the song");
    }
    previousTick = event.tick;
    schedule.lastFrame = clock.frame();
    if (event.kind == MidiFileEvent::Kind::Tempo && !file.division.smpte) {
      // The new tempo governs the time after this tick.
      clock.setUnitsPerTick(event.tempo);
    } else if (event.kind == MidiFileEvent::Kind::Channel) {
      ScheduledEvent scheduled;
      scheduled.frame = schedule.lastFrame;
      scheduled.size = event.size;
      std::copy(event.bytes, event.bytes + 3, scheduled.bytes);
      schedule.events.push_back(scheduled);
    }
  }
  return schedule;
}

MidiSchedule readMidiSchedule(const std::string& path, int32_t sampleRate) {
  const MidiFile song = readMidiFile(path);
  try {
    return scheduleMidiFile(song, sampleRate);
  } catch (const MidiFileError& error) {
    throw ToolError(kExitBadInput, path + ": " + error.what());
  }
}

int64_t frameAt(int64_t nanoseconds, int32_t sampleRate) {
  constexpr int64_t kNanosecondsPerSecond = 1000000000;
  // Whole seconds and the rest apart, so that no product overflows.
  const int64_t rest = nanoseconds % kNanosecondsPerSecond;
  return nanoseconds / kNanosecondsPerSecond * sampleRate +
         (2 * rest * sampleRate + kNanosecondsPerSecond) / (2 * kNanosecondsPerSecond);
}

int64_t nanosecondsOfSeconds(double seconds) {
  constexpr double kNanosecondsPerSecond = 1e9;
  return std::llround(seconds * kNanosecondsPerSecond);
}
