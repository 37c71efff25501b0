// `quorlin-host render --batch LIST`: every line of the list rendered with
// the module loaded once, up to --jobs songs at a time, each on a thread of
// its own with an instance of its own.
#pragma once

#include <string>

#include "tools/commands/render_options.h"

// Returns kExitSuccess when every song was written, kExitSomeFailed when some
// were not (each reported as it failed). Throws ToolError for a list that
// cannot be read, a plug-in that cannot be loaded, or an interruption.
int renderBatch(const RenderOptions& options, const std::string& pluginName);
