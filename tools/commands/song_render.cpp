#include "tools/commands/song_render.h"

#include <chrono>

#include "tools/commands/interrupt.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/files/midi_schedule.h"
#include "tools/files/wav_writer.h"
#include "tools/hosting/song_player.h"
#include "tools/system/output_file.h"
#include "tools/system/tool_error.h"

namespace {

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
  const MidiSchedule schedule = readMidiSchedule(song.inputPath, rate);
  const SongEnd end = songEnd(schedule, song.tail, rate);
  if (static_cast<uint64_t>(end.mostFrames) > WavWriter::maxFrames(song.format, kMaxRenderedChannels)) {
    throw ToolError(kExitBadInput, song.inputPath + ": the song is too long for one WAV file at this rate and format");
  }
  stopIfRequested(song.outputPath);

  const InstanceGate::Instance instrument = instances.open();
  instrument->configure(song.session);
  SongResult result;
  result.channels = renderedChannels(*instrument, instances.pluginName());
  WavWriter writer(song.outputPath, song.format, result.channels, rate);
  int64_t done = 0;
  playSong(*instrument, schedule, end, rate, song.session.blockSize,
           [&](const float* const* outputs, int32_t frames) {
             writer.write(outputs, frames);
             done += frames;
             if (progress) progress(done, end.mostFrames);
             stopIfRequested(song.outputPath);
           });
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
