#include "tools/commands/batch_render.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "tools/commands/batch_list.h"
#include "tools/commands/batch_report.h"
#include "tools/commands/instance_gate.h"
#include "tools/commands/song_render.h"
#include "tools/commands/interrupt.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/system/tool_error.h"

namespace {

// What the jobs share: the lines, the next one to take, the instances, the report.
struct BatchWork {
  const std::vector<BatchLine>& lines;
  std::vector<std::string> filesRead;  // besides each song's input: the plug-in's files and the list
  InstanceGate& instances;
  BatchReport& report;
  std::atomic<size_t> next{0};
};

// Renders one line; any failure is the line's, reported, and the batch goes on.
void renderLine(BatchWork& work, const BatchLine& line) {
  std::string reason;
  try {
    if (!line.problem.empty()) throw ToolError(kExitBadInput, line.problem);
    const SongSettings song = parseBatchLine(line.words);
    work.report.songDone(song, renderSong(song, work.instances, work.filesRead, nullptr));
    return;
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  } catch (const std::exception& error) {
    reason = error.what();
  } catch (...) {
    reason = "the plug-in threw an exception";
  }
  // A song cut short by an interruption has not failed; the batch reports the interruption.
  if (!interruptRequested()) work.report.songFailed(line.number, reason);
}

void runJob(BatchWork& work) {
  while (!interruptRequested()) {
    const size_t index = work.next.fetch_add(1);
    if (index >= work.lines.size()) return;
    renderLine(work, work.lines[index]);
  }
}

int jobCount(const RenderOptions& options, size_t songs) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int wanted = options.jobs > 0 ? options.jobs : cores;
  return static_cast<int>(std::min<size_t>(static_cast<size_t>(wanted), std::max<size_t>(songs, 1)));
}

}  // namespace

int renderBatch(const RenderOptions& options, const std::string& pluginName) {
  const std::vector<BatchLine> lines = readBatchList(options.batchListPath);
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  InstanceGate instances(*plugin);
  const bool fromStandardInput = options.batchListPath == "-";
  BatchReport report(fromStandardInput ? "standard input" : options.batchListPath, static_cast<int64_t>(lines.size()),
                     options.quiet);
  BatchWork work{lines, plugin->files(), instances, report};
  if (!fromStandardInput) work.filesRead.push_back(options.batchListPath);

  std::vector<std::thread> jobs;
  for (int job = 1; job < jobCount(options, lines.size()); ++job) {
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
    throw ToolError(kExitInterrupted, "interrupted after " + std::to_string(totals.songsDone) + " of " +
                                          std::to_string(lines.size()) + " songs; no unfinished file is left");
  }
  report.finish();
  return totals.songsFailed == 0 ? kExitSuccess : kExitSomeFailed;
}
