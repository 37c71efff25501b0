#include "tools/commands/song_render.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "engine/frames_of_seconds.h"
#include "tools/commands/quiet_tail.h"
#include "tools/commands/interrupt.h"
#include "tools/files/midi_file.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/files/midi_schedule.h"
#include "tools/system/output_file.h"
#include "tools/system/tool_error.h"
#include "tools/files/wav_writer.h"

namespace {

MidiSchedule loadSchedule(const std::string& path, int32_t sampleRate) {
  const MidiFile song = readMidiFile(path);
  try {
    return scheduleMidiFile(song, sampleRate);
  } catch (const MidiFileError& error) {
    throw ToolError(kExitBadInput, path + ": " + error.what());
  }
}

void stopIfRequested(const std::string& outputPath) {
  if (interruptRequested()) throw ToolError(kExitInterrupted, "interrupted; " + outputPath + " not written");
}

}  // namespace

SongResult renderSong(const SongSettings& song, InstanceGate& instances, const std::vector<std::string>& otherFilesRead,
                      const RenderProgress& progress) {
  const auto startTime = std::chrono::steady_clock::now();
  std::vector<std::string> filesRead = otherFilesRead;
  filesRead.push_back(song.inputPath);
  if (!song.session.preset.empty()) filesRead.push_back(song.session.preset);
  refuseUnsafeOutput(song.outputPath, filesRead);
  if (!song.savePath.empty()) {
    filesRead.push_back(song.outputPath);
    refuseUnsafeOutput(song.savePath, filesRead, isLv2PresetBundleName(song.savePath));
  }

  const int32_t rate = song.session.sampleRate;
  const int32_t blockSize = song.session.blockSize;
  const MidiSchedule schedule = loadSchedule(song.inputPath, rate);
  QuietTail quietTail(rate);
  const int64_t mostFrames =
      schedule.lastFrame + (song.tail.untilQuiet ? quietTail.longestFrames() : framesOfNanoseconds(song.tail.nanoseconds, rate));
  if (static_cast<uint64_t>(mostFrames) > WavWriter::maxFrames(song.format, kMaxWrittenChannels)) {
    throw ToolError(kExitBadInput, song.inputPath + ": the song is too long for one WAV file at this rate and format");
  }
  stopIfRequested(song.outputPath);

  const InstanceGate::Instance instrument = instances.open();
  instrument->configure(song.session);
  if (instrument->outputCount() < 1) {
    throw ToolError(kExitBadModule, instances.pluginName() + ": the plug-in has no audio outputs");
  }
  SongResult result;
  result.channels = std::min(instrument->outputCount(), kMaxWrittenChannels);
  WavWriter writer(song.outputPath, song.format, result.channels, rate);

  instrument->start();
  const ScheduledEvent* next = schedule.events.data();
  const ScheduledEvent* const end = next + schedule.events.size();
  bool songOver = false;
  for (int64_t blockStart = 0; blockStart < mostFrames && !songOver; blockStart += blockSize) {
    const int32_t frames = static_cast<int32_t>(std::min<int64_t>(blockSize, mostFrames - blockStart));
    const ScheduledEvent* last = next;
    while (last != end && last->frame < blockStart + frames) ++last;
    if (last != next) {
      instrument->sendEvents(next, last, blockStart);
      next = last;
    }
    instrument->process(frames);
    float* const* outputs = instrument->outputs();
    int32_t kept = frames;
    if (song.tail.untilQuiet && blockStart + frames > schedule.lastFrame) {
      // The tail starts inside this block or before it.
      const int32_t tailStart = static_cast<int32_t>(std::max<int64_t>(schedule.lastFrame - blockStart, 0));
      const float* tail[kMaxWrittenChannels] = {};
      for (int channel = 0; channel < result.channels; ++channel) tail[channel] = outputs[channel] + tailStart;
      kept = tailStart + quietTail.take(tail, result.channels, frames - tailStart);
      songOver = quietTail.complete();
    }
    writer.write(outputs, kept);
    if (progress) progress(blockStart + kept, mostFrames);
    stopIfRequested(song.outputPath);
  }
  instrument->stop();
  // Taken before either file is written, so that a plug-in that cannot give it leaves neither.
  std::unique_ptr<SavedState> saved;
  if (!song.savePath.empty()) saved = instrument->saveState(song.savePath);
  writer.finish();
  if (saved) saved->write();

  result.frames = static_cast<int64_t>(writer.framesWritten());
  result.tailFrames = result.frames - schedule.lastFrame;
  result.peak = writer.peak();
  result.clippedSamples = writer.clippedSamples();
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
  return result;
}
