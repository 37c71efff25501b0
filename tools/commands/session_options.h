// The options by which `render` and `editor` set up a plug-in alike:
// --program, --param and --preset.
#pragma once

#include <string>

#include "tools/hosting/instrument.h"

// Applies one of the three to the settings; false, and nothing changed, for
// any other option. Throws ToolError (kExitBadInput) with the usage line for
// a value it cannot accept.
bool applySessionOption(SessionSettings& session, const std::string& name, const std::string& value,
                        const std::string& usage);
