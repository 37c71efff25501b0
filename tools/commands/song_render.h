// One song rendered: a MIDI file in, a WAV file out, through a fresh instance
// of the plug-in. A single render and every line of a batch come through
// here, so a batch writes each file byte for byte as the render alone would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/commands/instance_gate.h"
#include "tools/commands/render_options.h"

struct SongResult {
  int channels = 0;
  int64_t frames = 0;
  int64_t tailFrames = 0;  // rendered after the last event
  float peak = 0.0f;
  uint64_t clippedSamples = 0;
  double seconds = 0.0;  // wall time
};

// Told the frames rendered so far and the most the song can have.
using RenderProgress = std::function<void(int64_t done, int64_t total)>;

// Refuses an output that is a folder, the input or one of `otherFilesRead`
// before anything else. Throws ToolError; with kExitInterrupted when a stop
// was requested (see interrupt.h), and OUT untouched whenever it throws.
SongResult renderSong(const SongSettings& song, InstanceGate& instances, const std::vector<std::string>& otherFilesRead,
                      const RenderProgress& progress);
