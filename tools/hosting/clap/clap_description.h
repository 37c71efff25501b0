// What a CLAP plug-in tells about itself: its descriptor, parameters, ports,
// extensions and factory presets. Main thread, the caller holding the
// interface thread.
#pragma once

#include "tools/hosting/instrument_description.h"

class ClapInstrument;

ClapDescription describeClap(ClapInstrument& instrument);
