// What `quorlin-host info` and the Python package's info() learn of a
// plug-in: a fresh instance, told the rate and block size a host sets before
// it asks anything, describes itself.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"
#include "tools/hosting/instrument_plugin.h"

// With `preset` (none when empty) loaded first, and then every program's
// values too. Throws ToolError as instantiating and configuring do.
InstrumentDescription describePlugin(InstrumentPlugin& plugin, const std::string& preset);
