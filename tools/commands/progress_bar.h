// A one-line progress bar on standard error, redrawn in place while a long
// job runs: the share done, what is counted (songs of a batch) and the time
// left, or only the count when the total is not known. It draws only when enabled (a terminal, and no --quiet).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressBar {
 public:
  // `unit` names what is counted, as in "12/40 songs"; without one only the share shows.
  explicit ProgressBar(bool enabled, const char* unit = nullptr);
  // Clears the bar, so that an error message after a failed job starts on a clean line.
  ~ProgressBar() { clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  // Redraws when what it shows changes (share, count, seconds left), or after clear().
  // A negative total is one not known ahead: the bar then shows the count alone.
  void update(int64_t done, int64_t total);
  // Erases the bar, leaving the line free for the next output.
  void clear();

 private:
  void redraw();
  void drawLine(const std::string& line);

  bool enabled_;
  std::string unit_;
  std::chrono::steady_clock::time_point start_;
  int64_t done_ = 0;
  int64_t total_ = 0;
  int shownPercent_ = -1;
  int64_t shownSecondsLeft_ = -1;
  size_t shownLength_ = 0;  // of the line on screen; 0 when none is
};
