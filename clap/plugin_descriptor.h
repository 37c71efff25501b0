// What a host reads of the plug-in before it creates one, and the id by
// which the factory sounds name it.
#pragma once

#include "clap/interface/clap_abi.h"

// The project's own id: a name of its own that claims no domain.
constexpr char kPluginId[] = "quorlin.instrument";

extern const clap_plugin_descriptor_t kPluginDescriptor;
