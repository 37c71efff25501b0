// What a batch tells its user while its jobs run, from any of their threads:
// a summary line for each song done (standard output), a line for each song
// that failed (standard error, with the list's line number), a progress bar
// counting songs, the closing summary, and the result log when there is one.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "tools/commands/batch_log.h"
#include "tools/commands/render_summary.h"
#include "tools/commands/progress_bar.h"

class BatchReport {
 public:
  // `listName` starts each failure line; `songs` is how many the list asks
  // for, or -1 when that is not known ahead (a list from a pipe); `quiet`
  // keeps to the failures. `log` (or null) gets a record of each finished
  // line; when it goes to standard output, standard output holds it alone:
  // no song lines, and the closing summary goes to standard error.
  BatchReport(const std::string& listName, int64_t songs, bool quiet, BatchLog* log);

  // Both throw ToolError (kExitCannotWrite) when the log cannot be written.
  void songDone(int64_t lineNumber, const SongSettings& song, const SongResult& result);
  // `song` is null when the line could not be read as a song.
  void songFailed(int64_t lineNumber, const SongSettings* song, const std::string& reason);
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
  BatchLog* log_;
  ProgressBar bar_;
  BatchTotals totals_;
  std::chrono::steady_clock::time_point start_;
};
