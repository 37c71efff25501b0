// The plug-in as a host calls it: the clap_plugin record of a new instance,
// whose calls and extension tables hand each host call to a ClapSynthPlugin.
#pragma once

#include "clap/interface/clap_abi.h"

/// A new instance for `host`; null when it cannot be made.
const clap_plugin_t* createPlugin(const clap_host_t* host);
