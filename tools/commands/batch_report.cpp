#include "tools/commands/batch_report.h"

#include <cstdio>

#include "tools/system/system_services.h"

BatchReport::BatchReport(const std::string& listName, int64_t songs, bool quiet, BatchLog* log)
    : listName_(listName),
      songs_(songs),
      quiet_(quiet),
      log_(log),
      bar_(!quiet && standardErrorIsTerminal(), "songs"),
      start_(std::chrono::steady_clock::now()) {}

void BatchReport::print(std::FILE* stream, const std::string& line) {
  bar_.clear();
  std::fprintf(stream, "%s\n", line.c_str());
  std::fflush(stream);
  bar_.update(totals_.songsDone + totals_.songsFailed, songs_);
}

void BatchReport::songDone(int64_t lineNumber, const SongSettings& song, const SongResult& result) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++totals_.songsDone;
  totals_.audioSeconds += static_cast<double>(result.frames) / song.session.sampleRate;
  if (quiet_ || (log_ != nullptr && log_->toStandardOutput())) {
    bar_.update(totals_.songsDone + totals_.songsFailed, songs_);
  } else {
    print(stdout, songSummary(song, result));
  }
  if (log_ != nullptr) log_->songDone(lineNumber, song, result);
}

void BatchReport::songFailed(int64_t lineNumber, const SongSettings* song, const std::string& reason) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++totals_.songsFailed;
  print(stderr, "quorlin-host: " + listName_ + ":" + std::to_string(lineNumber) + ": " + reason);
  if (log_ != nullptr) log_->songFailed(lineNumber, song, reason);
}

BatchTotals BatchReport::totals() {
  const std::lock_guard<std::mutex> lock(mutex_);
  totals_.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  return totals_;
}

void BatchReport::finish() {
  const BatchTotals done = totals();
  const std::lock_guard<std::mutex> lock(mutex_);
  bar_.clear();
  if (quiet_) return;
  std::FILE* stream = log_ != nullptr && log_->toStandardOutput() ? stderr : stdout;
  std::fprintf(stream, "%s\n", batchSummary(done).c_str());
}
