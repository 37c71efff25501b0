// A plug-in's factory presets: listed through the module's preset-discovery
// factory (clap.preset-discovery-factory/2, or its draft id), whose
// providers declare where presets lie (inside the module, or files and
// folders) and name each one found there; loaded through the plug-in's
// clap.preset-load (or its draft id) by the same location and load key.
// Main thread; nothing here is real-time.
#pragma once

#include <string>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"
#include "tools/hosting/clap/clap_module.h"
#include "tools/hosting/instrument_description.h"

// The presets the module declares for the plug-in `pluginId` (or for no
// plug-in in particular), in the providers' order. A module without the
// factory has none.
std::vector<ClapPreset> discoverPresets(const ClapModule& module, const std::string& pluginId);

// True when the plug-in loaded the preset.
bool loadPreset(const clap_plugin_t* plugin, const clap_plugin_preset_load_t* presetLoad, const ClapPreset& preset);
