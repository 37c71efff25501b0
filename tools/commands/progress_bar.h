// A one-line progress bar on standard error, redrawn in place while a long
// job runs. It draws only when enabled (a terminal, and no --quiet).
#pragma once

#include <cstdint>

class ProgressBar {
 public:
  ProgressBar(bool enabled, int64_t total);
  // Clears the bar, so that an error message after a failed job starts on a clean line.
  ~ProgressBar() { clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  // Redraws when the shown percentage changes.
  void update(int64_t done);
  // Erases the bar, leaving the line free for the next output.
  void clear();

 private:
  bool enabled_;
  int64_t total_;
  int shownPercent_ = -1;
};
