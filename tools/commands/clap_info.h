// `quorlin-host info` for a CLAP plug-in: its description as text.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

void printText(const ClapDescription& plugin);
