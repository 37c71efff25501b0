// `quorlin-host info --json`: the description as one JSON object, for scripts.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

// The whole object, indented, ending with a line end.
std::string describeAsJson(const Vst2Description& plugin);

// A plug-in's text as a JSON string. Plug-ins write 8-bit text of no stated
// encoding: valid UTF-8 is kept, any other byte is read as Latin-1.
std::string jsonString(const std::string& text);
