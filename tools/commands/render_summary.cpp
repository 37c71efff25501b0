#include "tools/commands/render_summary.h"

#include <cmath>
#include <cstdio>

namespace {

const char* formatName(SampleFormat format) {
  switch (format) {
    case SampleFormat::Int16:
      return "s16";
    case SampleFormat::Int24:
      return "s24";
    case SampleFormat::Float32:
    default:
      return "f32";
  }
}

// Frames as seconds with two decimals, rounded exactly.
std::string seconds(int64_t frames, int64_t rate) {
  const int64_t centiseconds = (frames * 100 + rate / 2) / rate;
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02lld s", static_cast<long long>(centiseconds / 100),
                static_cast<long long>(centiseconds % 100));
  return text;
}

double speed(double audioSeconds, double wallSeconds) { return wallSeconds > 0.0 ? audioSeconds / wallSeconds : 0.0; }

}  // namespace

std::string songSummary(const SongSettings& song, const SongResult& result) {
  const int64_t rate = song.session.sampleRate;
  char peak[32];
  if (result.peak > 0.0f) {
    std::snprintf(peak, sizeof peak, "%.1f dBFS", 20.0 * std::log10(static_cast<double>(result.peak)));
  } else {
    std::snprintf(peak, sizeof peak, "-inf dBFS");
  }
  const bool isFloat = song.format == SampleFormat::Float32;
  char line[256];
  std::snprintf(line, sizeof line, ", %d ch, %lld Hz, %s, peak %s, %llu samples %s, %.1fx real time", result.channels,
                static_cast<long long>(rate), formatName(song.format), peak,
                static_cast<unsigned long long>(result.clippedSamples), isFloat ? "over full scale (kept)" : "clipped",
                speed(static_cast<double>(result.frames) / static_cast<double>(rate), result.seconds));
  std::string summary = song.outputPath + ": " + seconds(result.frames, rate) + line;
  if (song.tail.untilQuiet) summary += ", tail " + seconds(result.tailFrames, rate);
  return summary;
}

std::string batchSummary(const BatchTotals& totals) {
  char line[256];
  std::snprintf(line, sizeof line, "batch: %lld songs done, %lld failed, %.2f s of audio in %.2f s, %.1fx real time",
                static_cast<long long>(totals.songsDone), static_cast<long long>(totals.songsFailed),
                totals.audioSeconds, totals.wallSeconds, speed(totals.audioSeconds, totals.wallSeconds));
  return line;
}
