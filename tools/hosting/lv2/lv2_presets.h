// LV2 presets: one read for an instrument from its URI or its bundle folder,
// and an instance's state saved as a preset bundle that lilv, jalv and
// Ardour load (a folder NAME.preset.lv2 holding a manifest and NAME.ttl).
// The caller holds the interface thread.
#pragma once

#include <lilv/lilv.h>
#include <lv2/core/lv2.h>

#include <memory>
#include <string>

#include "tools/hosting/instrument.h"
#include "tools/hosting/lv2/lv2_plugin.h"

class Lv2Instrument;

// The preset's state, which the caller frees. Throws ToolError (kExitBadInput)
// naming `preset` for a VST 2 preset file, a URI that names no preset, a
// folder that holds none for this plug-in (or several), Turtle that does not
// parse, or a preset for another plug-in.
LilvState* readPreset(const Lv2Plugin& plugin, const std::string& preset);

// The instance's state now, to be written as the bundle `path`.
std::unique_ptr<SavedState> savePresetBundle(Lv2Instrument& instrument, const LV2_Feature* const* features,
                                             const std::string& path);
