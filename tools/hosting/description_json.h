// An instrument's description as one JSON object: what `quorlin-host info
// --json` prints, and what the Python package's info() reads.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

// The whole object, indented, ending with a line end.
std::string describeAsJson(const InstrumentDescription& description);
