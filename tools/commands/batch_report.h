// What a batch tells its user while its jobs run, from any of their threads:
// a summary line for each song done (standard output), a line for each song
// that failed (standard error, with the list's line number), a progress bar
// counting songs, and the closing summary.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "tools/commands/render_summary.h"
#include "tools/commands/progress_bar.h"

class BatchReport {
 public:
  // `listName` starts each failure line; `quiet` keeps to the failures.
  BatchReport(const std::string& listName, int64_t songs, bool quiet);

  void songDone(const SongSettings& song, const SongResult& result);
  void songFailed(int lineNumber, const std::string& reason);
  // The songs done and failed so far, the audio rendered and the time taken.
  BatchTotals totals();
  // Clears the progress bar and prints the closing summary unless quiet.
  void finish();

 private:
  // Prints a line without tearing the progress bar.
  void print(std::FILE* stream, const std::string& line);

  std::mutex mutex_;
  std::string listName_;
  int64_t songs_;
  bool quiet_;
  ProgressBar bar_;
  BatchTotals totals_;
  std::chrono::steady_clock::time_point start_;
};
