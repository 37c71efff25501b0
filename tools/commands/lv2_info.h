// `quorlin-host info` for an LV2 plug-in: its description as text.
#pragma once

#include <string>

#include "tools/hosting/instrument_description.h"

void printText(const Lv2Description& plugin);
