#include "tools/commands/batch_render.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "tools/commands/batch_list.h"
#include "tools/commands/batch_log.h"
#include "tools/commands/batch_report.h"
#include "tools/commands/instance_gate.h"
#include "tools/commands/song_render.h"
#include "tools/commands/interrupt.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

// What the jobs share: the list, read a line at a time in its order, the
// instances, the report, and what ended the batch early.
struct BatchWork {
  BatchWork(BatchList& list, std::vector<std::string> filesRead, InstanceGate& instances, BatchReport& report)
      : list(list), filesRead(std::move(filesRead)), instances(instances), report(report) {}

  BatchList& list;
  std::vector<std::string> filesRead;  // besides each song's input: the plug-in's files, the list and the log
  InstanceGate& instances;
  BatchReport& report;
  std::mutex listMutex;        // guards the list and `failure`
  std::exception_ptr failure;  // the list could not be read or the log written: the batch ends
};

bool takeLine(BatchWork& work, BatchLine& line) {
  const std::lock_guard<std::mutex> lock(work.listMutex);
  return !work.failure && work.list.next(line);
}

void endBatch(BatchWork& work, std::exception_ptr failure) {
  const std::lock_guard<std::mutex> lock(work.listMutex);
  if (!work.failure) work.failure = failure;
}

// Renders one line; any failure is the line's, reported, and the batch goes
// on. Only a report that cannot be written (the log) throws.
void renderLine(BatchWork& work, const BatchLine& line) {
  std::optional<SongSettings> song;
  std::optional<SongResult> result;
  std::string reason;
  try {
    if (!line.problem.empty()) throw ToolError(kExitBadInput, line.problem);
    song = parseBatchLine(line.words);
    result = renderSong(*song, work.instances, work.filesRead, nullptr);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  } catch (const std::exception& error) {
    reason = error.what();
  } catch (...) {
    reason = "the plug-in threw an exception";
  }
  if (result) {
    work.report.songDone(line.number, *song, *result);
  } else if (!interruptRequested()) {
    // A song cut short by an interruption has not failed; the batch reports the interruption.
    work.report.songFailed(line.number, song ? &*song : nullptr, reason);
  }
}

void runJob(BatchWork& work) {
  try {
    BatchLine line;
    while (!interruptRequested() && takeLine(work, line)) renderLine(work, line);
  } catch (...) {
    endBatch(work, std::current_exception());
  }
}

int jobCount(const RenderOptions& options) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return options.jobs > 0 ? options.jobs : cores;
}

// How many songs the list asks for, when a progress bar can show it: only a
// file that can be read twice is counted ahead, never a pipe.
int64_t songsAhead(const RenderOptions& options) {
  if (options.quiet || !standardErrorIsTerminal() || options.batchListPath == "-" ||
      !identifyFile(options.batchListPath).isRegularFile) {
    return -1;
  }
  return BatchList(options.batchListPath, options.shard).countRemaining();
}

}  // namespace

int renderBatch(const RenderOptions& options, const std::string& pluginName) {
  BatchList list(options.batchListPath, options.shard);
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  InstanceGate instances(*plugin);
  std::unique_ptr<BatchLog> log;
  if (!options.logPath.empty()) log = std::make_unique<BatchLog>(options.logPath);
  const bool fromStandardInput = options.batchListPath == "-";
  BatchReport report(fromStandardInput ? "standard input" : options.batchListPath, songsAhead(options), options.quiet,
                     log.get());
  BatchWork work(list, plugin->files(), instances, report);
  if (!fromStandardInput) work.filesRead.push_back(options.batchListPath);
  if (log && !log->toStandardOutput()) work.filesRead.push_back(options.logPath);

  std::vector<std::thread> jobs;
  for (int job = 1; job < jobCount(options); ++job) {
    try {
      jobs.emplace_back(runJob, std::ref(work));
    } catch (const std::system_error&) {
      break;  // the system gives no more threads: the batch runs with fewer jobs
    }
  }
  runJob(work);  // this thread is a job too
  for (std::thread& job : jobs) job.join();

  const BatchTotals totals = report.totals();
  if (interruptRequested()) {
    throw ToolError(kExitInterrupted, "interrupted after " + std::to_string(totals.songsDone) +
                                          " songs; no unfinished file is left");
  }
  if (work.failure) std::rethrow_exception(work.failure);
  report.finish();
  return totals.songsFailed == 0 ? kExitSuccess : kExitSomeFailed;
}
