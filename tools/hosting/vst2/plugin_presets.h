// Presets into and out of a loaded plug-in, through its record: parameter
// values and program names where it keeps its state in them, its own chunk
// where it says it has chunks (effFlagsProgramChunks).
#pragma once

#include <string>

#include "tools/files/preset_file.h"
#include "vst2/interface/vst2_abi.h"

// Loads a preset read from `path`, the way a host loads one: a program goes
// into the current program, a bank into every program. Values are set and the
// program applied again, a chunk goes through effSetChunk (index 1 for a
// program, 0 for a bank); a version 2 bank of values selects its current
// program. Throws ToolError (kExitBadInput) naming the file when the preset is
// for another plug-in, does not fit its counts, is a chunk the plug-in cannot
// take, or is refused: answered 0 by a plug-in that does not then hand out
// that very chunk (some answer 0 to a chunk they took).
void loadPreset(AEffect& effect, const PresetFile& preset, const std::string& path);

// What the plug-in holds now, as the preset of that kind a host saves: a
// chunk where it has chunks, parameter values otherwise. Throws ToolError
// (kExitBadModule) naming `path`, the file it is meant for, when the plug-in
// hands out no chunk or a value that is not a number.
PresetFile savePreset(AEffect& effect, PresetKind kind, const std::string& path);
