// What a VST 2 plug-in tells about itself through its record and dispatcher.
#pragma once

#include <cstdint>
#include <string>

#include "tools/hosting/instrument_description.h"

class Vst2Instrument;

// Every program's values are read only when asked for: to read them, each
// program is selected in turn, and the current one again at the end.
Vst2Description describeVst2(Vst2Instrument& instrument, bool withProgramValues);

// A VST 2 unique ID as its four characters, '?' for any that is not printable.
std::string fourCharacters(int32_t id);
