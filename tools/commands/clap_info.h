// `quorlin-host info` for a CLAP plug-in: its description as text, or as one
// JSON object for scripts.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

void printText(const ClapDescription& plugin);
// The whole object, indented, ending with a line end.
std::string describeAsJson(const ClapDescription& plugin);
