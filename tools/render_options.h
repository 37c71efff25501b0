// The command line of `quorlin-host render`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/plugin_session.h"
#include "tools/wav_writer.h"

struct RenderOptions {
  bool help = false;
  bool quiet = false;
  std::string modulePath;  // the default module when empty
  std::string inputPath;
  std::string outputPath;
  SessionSettings session;
  std::string savePath;  // an .fxp or .fxb file for the state rendered; none when empty
  int64_t tailNanoseconds = 1000000000;
  SampleFormat format = SampleFormat::Float32;
};

extern const char* const kRenderUsage;
extern const char* const kRenderHelp;

// Throws ToolError (kExitBadInput) with the usage line for anything it cannot accept.
RenderOptions parseRenderOptions(const std::vector<std::string>& args);
