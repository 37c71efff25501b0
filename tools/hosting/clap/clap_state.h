// A plug-in's state through clap.state (main thread), into and out of bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"

// What save wrote; none when the plug-in has no clap.state or its save answers false.
std::optional<std::vector<uint8_t>> saveClapState(const clap_plugin_t* plugin, const clap_plugin_state_t* state);

// Whether the plug-in took the bytes: its load answered true.
bool loadClapState(const clap_plugin_t* plugin, const clap_plugin_state_t* state, const std::vector<uint8_t>& bytes);
