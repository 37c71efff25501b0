// What play shows while it runs. On a terminal, one line on standard error
// redrawn in place: the notes held, the xruns and the DSP load. Elsewhere
// (a log), a line each time xruns or dropped events have been added, at
// most every five seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct LiveFigures {
  int heldNotes = 0;
  uint64_t xruns = 0;
  uint64_t droppedEvents = 0;
  float dspLoad = 0.0f;  // percent
};

class LiveStatus {
 public:
  explicit LiveStatus(bool terminal) : terminal_(terminal) {}
  ~LiveStatus() { clear(); }
  LiveStatus(const LiveStatus&) = delete;
  LiveStatus& operator=(const LiveStatus&) = delete;

  // Called regularly; shows at most a few times a second.
  void update(const LiveFigures& figures);
  // Erases the line, so that other output starts on a clean one.
  void clear();

 private:
  bool terminal_;
  std::chrono::steady_clock::time_point shown_{};
  LiveFigures reported_;  // what a log was last told
  size_t shownLength_ = 0;
};
