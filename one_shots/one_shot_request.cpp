#include "one_shots/one_shot_request.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "engine/parameter_table.h"
#include "tools/files/midi_schedule.h"
#include "tools/hosting/instrument.h"

namespace {

constexpr int64_t kHighestNote = 127;
constexpr int64_t kLowestVelocity = 1;
constexpr int64_t kHighestVelocity = 127;

// The shortest text that reads back as the same double, as Python prints it.
std::string text(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void checkWhole(const std::string& name, int64_t value, int64_t lowest, int64_t highest) {
  if (value < lowest || value > highest) {
    throw OneShotError(name + ": " + std::to_string(value) + " is outside " + std::to_string(lowest) + ".." +
                       std::to_string(highest));
  }
}

void checkSeconds(const std::string& name, double seconds) {
  const std::string prefix = name + ": " + text(seconds);
  if (!std::isfinite(seconds)) throw OneShotError(prefix + " is not a finite number");
  if (seconds < 0.0) throw OneShotError(prefix + " is negative");
  if (seconds > kMaxSongSeconds) {
    throw OneShotError(prefix + " is longer than " + std::to_string(kMaxSongSeconds) + " seconds");
  }
}

// A column of whole numbers given once for every sound, or once per sound.
void checkColumn(const char* name, const int64_t* values, int64_t valueCount, int64_t soundCount, int64_t lowest,
                 int64_t highest) {
  if (valueCount != 1 && valueCount != soundCount) {
    throw OneShotError(std::string(name) + ": " + std::to_string(valueCount) + " values for " +
                       std::to_string(soundCount) + " sounds (give one, or one for every sound)");
  }
  if (valueCount > 0 && values == nullptr) throw OneShotError(std::string(name) + ": no values given");
  if (valueCount == 1) checkWhole(name, values[0], lowest, highest);
}

void checkRowValue(const char* name, int64_t row, int64_t value, int64_t lowest, int64_t highest) {
  checkWhole(std::string(name) + " row " + std::to_string(row), value, lowest, highest);
}

void checkParameter(int64_t row, int column, double value) {
  if (std::isfinite(value) && value >= kParameterMinimum && value <= kParameterMaximum) return;
  const std::string where = "params row " + std::to_string(row) + ", column " + std::to_string(column) + " (" +
                            kParameters[column].symbol + "): " + text(value);
  if (!std::isfinite(value)) throw OneShotError(where + " is not a finite number");
  throw OneShotError(where + " is outside " + text(kParameterMinimum) + ".." + text(kParameterMaximum));
}

}  // namespace

OneShotFrames checkOneShots(const OneShotRequest& request) {
  checkWhole("rate", request.rate, kMinSampleRate, kMaxSampleRate);
  if (request.channels != 1 && request.channels != 2) {
    throw OneShotError("channels: " + std::to_string(request.channels) + " is neither 1 nor 2");
  }
  checkSeconds("note_seconds", request.noteSeconds);
  checkSeconds("tail_seconds", request.tailSeconds);
  const double seconds = request.noteSeconds + request.tailSeconds;
  checkSeconds("note_seconds + tail_seconds", seconds);
  if (request.count < 0) throw OneShotError("params: " + std::to_string(request.count) + " rows");
  if (request.count > 0 && request.params == nullptr) throw OneShotError("params: no values given");
  checkColumn("notes", request.notes, request.noteCount, request.count, 0, kHighestNote);
  checkColumn("velocities", request.velocities, request.velocityCount, request.count, kLowestVelocity,
              kHighestVelocity);

  const auto rate = static_cast<int32_t>(request.rate);
  const OneShotFrames frames{frameAt(nanosecondsOfSeconds(request.noteSeconds), rate),
                             frameAt(nanosecondsOfSeconds(seconds), rate)};
  const double bytes = static_cast<double>(request.count) * static_cast<double>(request.channels) *
                       static_cast<double>(frames.total) * sizeof(float);
  if (bytes > static_cast<double>(std::numeric_limits<ptrdiff_t>::max())) {
    throw OneShotError("params: " + std::to_string(request.count) + " sounds of " + std::to_string(frames.total) +
                       " frames are more than memory can hold");
  }

  for (int64_t row = 0; row < request.count; ++row) {
    for (int column = 0; column < kParameterCount; ++column) {
      checkParameter(row, column, request.params[row * kParameterCount + column]);
    }
    if (request.noteCount > 1) checkRowValue("notes", row, request.notes[row], 0, kHighestNote);
    if (request.velocityCount > 1) {
      checkRowValue("velocities", row, request.velocities[row], kLowestVelocity, kHighestVelocity);
    }
  }
  return frames;
}
