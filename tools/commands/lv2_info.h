// `quorlin-host info` for an LV2 plug-in: its description as text, or as one
// JSON object for scripts.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

void printText(const Lv2Description& plugin);
// The whole object, indented, ending with a line end.
std::string describeAsJson(const Lv2Description& plugin);
