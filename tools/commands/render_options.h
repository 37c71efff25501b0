// The command line of `quorlin-host render`, and the lines of a batch list.
//
// A render has options of the command (the module, --batch, --jobs, --log,
// --shard, --quiet) and options of the song (rate, block size, program,
// parameters, preset, tail, format, saved preset), which a batch list gives
// line by line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/commands/batch_list.h"
#include "tools/hosting/instrument.h"
#include "tools/hosting/song_player.h"
#include "tools/files/wav_writer.h"

// Everything one song's render needs besides the module.
struct SongSettings {
  std::string inputPath;
  std::string outputPath;
  SessionSettings session;
  std::string savePath;  // an .fxp or .fxb file for the state rendered; none when empty
  TailLength tail;
  SampleFormat format = SampleFormat::Float32;
};

struct RenderOptions {
  bool help = false;
  bool quiet = false;
  std::string pluginName;     // the default plug-in when empty
  std::string batchListPath;  // a batch list ("-": standard input); a single render of `song` when empty
  int jobs = 0;               // songs rendered at once in a batch; 0: one per processor core
  std::string logPath;        // a batch's result log ("-": standard output); none when empty
  BatchShard shard;           // the lines of the list this batch renders
  SongSettings song;
};

extern const char* const kRenderUsage;
extern const char* const kRenderHelp;

// Throws ToolError (kExitBadInput) with the usage line for anything it cannot accept.
RenderOptions parseRenderOptions(const std::vector<std::string>& args);

// One line of a batch list, split into words: IN.mid OUT.wav and song
// options. Throws ToolError (kExitBadInput) for anything it cannot accept.
SongSettings parseBatchLine(const std::vector<std::string>& words);
