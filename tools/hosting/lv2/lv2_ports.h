// An LV2 plug-in's ports as its Turtle describes them, read once.
#pragma once

#include <lilv/lilv.h>

#include <vector>

#include "tools/hosting/instrument_description.h"
#include "tools/hosting/lv2/lv2_world.h"

// Every port in index order. The MIDI input is the first atom input that
// takes MIDI events and is designated the plug-in's control input, or else
// the first that takes them.
std::vector<Lv2Port> readPorts(Lv2World& world, const LilvPlugin* plugin);
