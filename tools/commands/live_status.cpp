#include "tools/commands/live_status.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::chrono::milliseconds kTerminalInterval(250);
constexpr std::chrono::seconds kLogInterval(5);

}  // namespace

void LiveStatus::update(const LiveFigures& figures) {
  const auto now = std::chrono::steady_clock::now();
  const std::chrono::steady_clock::duration interval = terminal_ ? kTerminalInterval : kLogInterval;
  if (now - shown_ < interval) return;
  shown_ = now;
  char line[160];
  if (terminal_) {
    std::snprintf(line, sizeof line, "playing: %d note%s held, %llu xrun%s, DSP load %.1f%%", figures.heldNotes,
                  figures.heldNotes == 1 ? "" : "s", static_cast<unsigned long long>(figures.xruns),
                  figures.xruns == 1 ? "" : "s", static_cast<double>(figures.dspLoad));
    std::string text = line;
    if (figures.droppedEvents > 0) text += ", " + std::to_string(figures.droppedEvents) + " MIDI events dropped";
    // Padded to cover a longer line drawn before.
    std::fprintf(stderr, "\r%-*s", static_cast<int>(shownLength_), text.c_str());
    std::fflush(stderr);
    shownLength_ = std::max(shownLength_, text.size());
    return;
  }
  if (figures.xruns == reported_.xruns && figures.droppedEvents == reported_.droppedEvents) return;
  std::snprintf(line, sizeof line, "quorlin-host: so far xruns: %llu, MIDI events dropped: %llu\n",
                static_cast<unsigned long long>(figures.xruns), static_cast<unsigned long long>(figures.droppedEvents));
  std::fputs(line, stderr);
  reported_ = figures;
}

void LiveStatus::clear() {
  if (shownLength_ == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(stderr);
  shownLength_ = 0;
}
