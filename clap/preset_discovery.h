// The factory sounds as a host lists presets: one provider, whose one
// location is inside the plug-in, holding the four sounds of
// engine/factory_sounds.h, each loaded (through clap.preset-load) by its slug.
#pragma once

#include "clap/interface/clap_abi_preset_discovery.h"

extern const clap_preset_discovery_factory_t kPresetDiscoveryFactory;
