// What an LV2 plug-in's Turtle tells about it: identity, ports, features,
// presets and UIs. The caller holds the interface thread.
#pragma once

#include "tools/hosting/instrument_description.h"
#include "tools/hosting/lv2/lv2_plugin.h"

Lv2Description describeLv2(const Lv2Plugin& plugin);
