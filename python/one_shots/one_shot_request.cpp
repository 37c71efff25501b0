#include "python/one_shots/one_shot_request.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "engine/parameter_table.h"
#include "tools/files/midi_schedule.h"
#include "tools/files/number_text.h"
#include "tools/hosting/instrument.h"

namespace {

constexpr int64_t kHighestNote = 127;
constexpr int64_t kLowestVelocity = 1;
constexpr int64_t kHighestVelocity = 127;

void checkWhole(const std::string& name, int64_t value, int64_t lowest, int64_t highest) {
  if (value < lowest || value > highest) {
    throw OneShotError(name + " needs a whole number from " + std::to_string(lowest) + " to " +
                       std::to_string(highest) + ", not " + std::to_string(value));
  }
}

// As an instrument's render takes a time: from 0 to kMaxSongSeconds.
void checkSeconds(const std::string& name, double seconds) {
  if (seconds >= 0.0 && seconds <= kMaxSongSeconds) return;
  throw OneShotError(name + " needs a number of seconds from 0 to " + std::to_string(kMaxSongSeconds) + ", not " +
                     pythonNumber(seconds));
}

// A column of whole numbers given once for every sound, or once per sound.
void checkColumn(const char* name, const int64_t* values, int64_t valueCount, int64_t soundCount, int64_t lowest,
                 int64_t highest) {
  if (valueCount != 1 && valueCount != soundCount) {
    throw OneShotError(std::string(name) + " needs one value, or one for each of the " + std::to_string(soundCount) +
                       " sounds, not " + std::to_string(valueCount));
  }
  if (valueCount > 0 && values == nullptr) throw OneShotError(std::string(name) + " needs values, not none");
  if (valueCount == 1) checkWhole(name, values[0], lowest, highest);
}

void checkRowValue(const char* name, int64_t row, int64_t value, int64_t lowest, int64_t highest) {
  checkWhole(std::string(name) + " row " + std::to_string(row), value, lowest, highest);
}

void checkParameter(int64_t row, int column, double value) {
  if (value >= kParameterMinimum && value <= kParameterMaximum) return;
  throw OneShotError("params row " + std::to_string(row) + ", column " + std::to_string(column) + " (" +
                     kParameters[column].symbol + ") needs a number from " + pythonNumber(kParameterMinimum) + " to " +
                     pythonNumber(kParameterMaximum) + ", not " + pythonNumber(value));
}

}  // namespace

OneShotFrames checkOneShots(const OneShotRequest& request) {
  checkWhole("rate", request.rate, kMinSampleRate, kMaxSampleRate);
  checkWhole("channels", request.channels, 1, 2);
  checkSeconds("note_seconds", request.noteSeconds);
  checkSeconds("tail_seconds", request.tailSeconds);
  const double seconds = request.noteSeconds + request.tailSeconds;
  checkSeconds("note_seconds + tail_seconds", seconds);
  bool missing = false;
  for (const double* column : request.params) missing = missing || column == nullptr;
  if (request.count < 0 || (request.count > 0 && missing)) {
    throw OneShotError("params needs eight columns of values, for " + std::to_string(request.count) + " sounds");
  }
  checkColumn("notes", request.notes, request.noteCount, request.count, 0, kHighestNote);
  checkColumn("velocities", request.velocities, request.velocityCount, request.count, kLowestVelocity,
              kHighestVelocity);

  const auto rate = static_cast<int32_t>(request.rate);
  const OneShotFrames frames{frameAt(nanosecondsOfSeconds(request.noteSeconds), rate),
                             frameAt(nanosecondsOfSeconds(seconds), rate)};
  const double bytes = static_cast<double>(request.count) * static_cast<double>(request.channels) *
                       static_cast<double>(frames.total) * sizeof(float);
  if (bytes > static_cast<double>(std::numeric_limits<ptrdiff_t>::max())) {
    throw OneShotError("params needs fewer rows: " + std::to_string(request.count) + " sounds of " +
                       std::to_string(frames.total) + " frames are more than memory can hold");
  }

  for (int64_t row = 0; row < request.count; ++row) {
    for (int column = 0; column < kParameterCount; ++column) {
      checkParameter(row, column, request.param(row, column));
    }
    if (request.noteCount > 1) checkRowValue("notes", row, request.notes[row], 0, kHighestNote);
    if (request.velocityCount > 1) {
      checkRowValue("velocities", row, request.velocities[row], kLowestVelocity, kHighestVelocity);
    }
  }
  return frames;
}
