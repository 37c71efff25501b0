#include "tools/commands/batch_log.h"

#include <cmath>

#include "tools/files/json_text.h"

namespace {

// What a finished line's record holds besides its number and status.
struct LineFacts {
  std::string input = "null";
  std::string output = "null";
  std::string frames = "null";
  std::string audioSeconds = "null";
  std::string peakDbfs = "null";
  std::string samplesOverFullScale = "null";
  std::string renderSeconds = "null";
  std::string reason = "null";
};

std::string record(int64_t lineNumber, const char* status, const LineFacts& facts) {
  return "{\"line\": " + std::to_string(lineNumber) + ", \"status\": \"" + status + "\", \"input\": " + facts.input +
         ", \"output\": " + facts.output + ", \"frames\": " + facts.frames + ", \"audioSeconds\": " +
         facts.audioSeconds + ", \"peakDbfs\": " + facts.peakDbfs + ", \"samplesOverFullScale\": " +
         facts.samplesOverFullScale + ", \"renderSeconds\": " + facts.renderSeconds + ", \"reason\": " + facts.reason +
         "}";
}

LineFacts songFiles(const SongSettings& song) {
  LineFacts facts;
  facts.input = jsonString(song.inputPath);
  facts.output = jsonString(song.outputPath);
  return facts;
}

}  // namespace

void BatchLog::songDone(int64_t lineNumber, const SongSettings& song, const SongResult& result) {
  LineFacts facts = songFiles(song);
  facts.frames = std::to_string(result.frames);
  facts.audioSeconds = jsonNumber(static_cast<double>(result.frames) / song.session.sampleRate);
  facts.peakDbfs = jsonNumber(20.0 * std::log10(static_cast<double>(result.peak)));
  facts.samplesOverFullScale = std::to_string(result.clippedSamples);
  facts.renderSeconds = jsonNumber(result.seconds);
  file_.writeLine(record(lineNumber, "done", facts));
}

void BatchLog::songFailed(int64_t lineNumber, const SongSettings* song, const std::string& reason) {
  LineFacts facts = song != nullptr ? songFiles(*song) : LineFacts();
  facts.reason = jsonString(reason);
  file_.writeLine(record(lineNumber, "failed", facts));
}
