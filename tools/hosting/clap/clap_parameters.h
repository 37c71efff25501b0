// A plug-in's parameters through clap.params (main thread), and the values
// the command line gives them.
#pragma once

#include <string>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"
#include "tools/hosting/instrument.h"

struct ClapParameterValue {
  clap_id id = 0;
  void* cookie = nullptr;
  double value = 0.0;
};

std::vector<clap_param_info_t> readParameters(const clap_plugin_t* plugin, const clap_plugin_params_t* params);

// --param KEY=VALUE: the parameter whose id is KEY (digits) or whose name is
// KEY, and VALUE (read as a double, from its text) within its range. Throws
// ToolError (kExitBadInput) for an unknown, ambiguous or read-only parameter
// and for a value out of range, naming the range.
std::vector<ClapParameterValue> resolveParameterSettings(const std::vector<clap_param_info_t>& parameters,
                                                         const std::vector<ParameterSetting>& settings,
                                                         const std::string& pluginName);

// Hands the values to the plug-in through flush, as a host does while the
// plug-in is not processing; none for a flush the plug-in asked for.
void flushParameters(const clap_plugin_t* plugin, const clap_plugin_params_t* params,
                     const std::vector<ClapParameterValue>& values);
