// `quorlin-host info --json`: the description as one JSON object, for scripts.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

// The whole object, indented, ending with a line end.
std::string describeAsJson(const Vst2Description& plugin);
