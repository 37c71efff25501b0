#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

#include "tools/files/preset_file.h"
#include "tools/interrupt.h"
#include "tools/midi_file.h"
#include "tools/midi_schedule.h"
#include "tools/module_library.h"
#include "tools/plugin_session.h"
#include "tools/progress_bar.h"
#include "tools/render_options.h"
#include "tools/subcommands.h"
#include "tools/system_services.h"
#include "tools/tool_error.h"
#include "tools/vst_event_list.h"
#include "tools/wav_writer.h"

namespace {

// The WAV file holds the plug-in's first two outputs, or its only one.
constexpr int kMaxWrittenChannels = 2;

// One array of block-sized buffers per plug-in input and output; inputs stay silent.
class AudioBuffers {
 public:
  AudioBuffers(int inputs, int outputs, int32_t blockSize) {
    for (int i = 0; i < inputs + outputs; ++i) storage_.emplace_back(static_cast<size_t>(blockSize), 0.0f);
    for (auto& buffer : storage_) pointers_.push_back(buffer.data());
    inputCount_ = inputs;
  }
  float** inputs() { return pointers_.data(); }
  float** outputs() { return pointers_.data() + inputCount_; }

 private:
  std::vector<std::vector<float>> storage_;
  std::vector<float*> pointers_;
  int inputCount_ = 0;
};

MidiSchedule loadSchedule(const std::string& path, int32_t sampleRate) {
  const MidiFile song = readMidiFile(path);
  try {
    return scheduleMidiFile(song, sampleRate);
  } catch (const MidiFileError& error) {
    throw ToolError(kExitBadInput, path + ": " + error.what());
  }
}

// round(tail * rate), exactly.
int64_t tailFrames(int64_t tailNanoseconds, int32_t sampleRate) {
  constexpr int64_t kNanosecondsPerSecond = 1000000000;
  return (2 * tailNanoseconds * sampleRate + kNanosecondsPerSecond) / (2 * kNanosecondsPerSecond);
}

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

void printSummary(const RenderOptions& options, const WavWriter& writer, int channels, double elapsedSeconds) {
  const int64_t rate = options.session.sampleRate;
  const int64_t frames = static_cast<int64_t>(writer.framesWritten());
  const int64_t centiseconds = (frames * 100 + rate / 2) / rate;
  char peak[32];
  if (writer.peak() > 0.0f) {
    std::snprintf(peak, sizeof peak, "%.1f dBFS", 20.0 * std::log10(static_cast<double>(writer.peak())));
  } else {
    std::snprintf(peak, sizeof peak, "-inf dBFS");
  }
  const bool isFloat = options.format == SampleFormat::Float32;
  const double speed = elapsedSeconds > 0.0 ? static_cast<double>(frames) / rate / elapsedSeconds : 0.0;
  std::printf("%s: %lld.%02lld s, %d ch, %lld Hz, %s, peak %s, %llu samples %s, %.1fx real time\n",
              options.outputPath.c_str(), static_cast<long long>(centiseconds / 100),
              static_cast<long long>(centiseconds % 100), channels, static_cast<long long>(rate),
              formatName(options.format), peak, static_cast<unsigned long long>(writer.clippedSamples()),
              isFloat ? "over full scale (kept)" : "clipped", speed);
}

}  // namespace

int renderCommand(const Arguments& args) {
  const RenderOptions options = parseRenderOptions(args);
  if (options.help) {
    std::fputs(kRenderHelp, stdout);
    return kExitSuccess;
  }
  const int32_t rate = options.session.sampleRate;
  const MidiSchedule schedule = loadSchedule(options.inputPath, rate);
  const int64_t totalFrames = schedule.lastFrame + tailFrames(options.tailNanoseconds, rate);
  if (static_cast<uint64_t>(totalFrames) > WavWriter::maxFrames(options.format, kMaxWrittenChannels)) {
    throw ToolError(kExitBadInput,
                    options.inputPath + ": the song is too long for one WAV file at this rate and format");
  }

  const ModuleLibrary module(options.modulePath.empty() ? defaultModulePath() : options.modulePath);
  PluginSession session(module);
  session.configure(options.session);
  const AEffect& effect = session.effect();
  if (effect.numOutputs < 1) throw ToolError(kExitBadModule, module.path() + ": the plug-in has no audio outputs");
  const int channels = std::min(effect.numOutputs, kMaxWrittenChannels);

  AudioBuffers buffers(std::max(effect.numInputs, 0), effect.numOutputs, options.session.blockSize);
  WavWriter writer(options.outputPath, options.format, channels, rate);
  VstEventList eventList;
  ProgressBar progress(!options.quiet && standardErrorIsTerminal(), totalFrames);
  const auto startTime = std::chrono::steady_clock::now();

  catchInterrupts();
  session.start();
  const ScheduledEvent* next = schedule.events.data();
  const ScheduledEvent* const end = next + schedule.events.size();
  for (int64_t blockStart = 0; blockStart < totalFrames; blockStart += options.session.blockSize) {
    const int32_t frames = static_cast<int32_t>(std::min<int64_t>(options.session.blockSize, totalFrames - blockStart));
    const ScheduledEvent* last = next;
    while (last != end && last->frame < blockStart + frames) ++last;
    if (last != next) {
      eventList.fill(next, last, blockStart);
      session.sendEvents(eventList.list());
      next = last;
    }
    session.process(buffers.inputs(), buffers.outputs(), frames);
    writer.write(buffers.outputs(), frames);
    progress.update(blockStart + frames);
    if (interruptRequested()) {
      throw ToolError(kExitInterrupted, "interrupted; " + options.outputPath + " not written");
    }
  }
  session.stop();
  progress.clear();
  // Taken before either file is written, so that a plug-in that cannot give it leaves neither.
  std::optional<PresetFile> saved;
  if (!options.savePath.empty()) saved = session.savePreset(*presetKindForFileName(options.savePath), options.savePath);
  writer.finish();
  if (saved) writePresetFile(options.savePath, *saved);

  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startTime;
  if (!options.quiet) printSummary(options, writer, channels, elapsed.count());
  return kExitSuccess;
}
