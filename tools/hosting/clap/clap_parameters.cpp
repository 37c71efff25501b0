#include "tools/hosting/clap/clap_parameters.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "tools/hosting/clap/clap_events.h"
#include "tools/system/tool_error.h"

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool isWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const clap_param_info_t& parameterNamed(const std::vector<clap_param_info_t>& parameters, const std::string& key,
                                        const std::string& pluginName) {
  const bool byId = isWholeNumber(key);
  std::vector<const clap_param_info_t*> found;
  for (const clap_param_info_t& parameter : parameters) {
    if (byId ? std::to_string(parameter.id) == key : key == parameter.name) found.push_back(&parameter);
  }
  if (found.empty()) {
    throw ToolError(kExitBadInput, "--param " + key + ": " + pluginName + " has no parameter of that " +
                                       (byId ? "id" : "name") + " (info lists them)");
  }
  if (found.size() > 1) {
    throw ToolError(kExitBadInput, "--param " + key + ": " + std::to_string(found.size()) + " parameters of " +
                                       pluginName + " have that name; give the id of one (info lists them)");
  }
  return *found.front();
}

}  // namespace

std::vector<clap_param_info_t> readParameters(const clap_plugin_t* plugin, const clap_plugin_params_t* params) {
  std::vector<clap_param_info_t> parameters;
  if (params == nullptr || params->count == nullptr || params->get_info == nullptr) return parameters;
  const uint32_t count = params->count(plugin);
  for (uint32_t index = 0; index < count; ++index) {
    clap_param_info_t info{};
    if (!params->get_info(plugin, index, &info)) continue;
    info.name[sizeof info.name - 1] = '\0';
    info.module[sizeof info.module - 1] = '\0';
    parameters.push_back(info);
  }
  return parameters;
}

std::vector<ClapParameterValue> resolveParameterSettings(const std::vector<clap_param_info_t>& parameters,
                                                         const std::vector<ParameterSetting>& settings,
                                                         const std::string& pluginName) {
  std::vector<ClapParameterValue> values;
  for (const ParameterSetting& setting : settings) {
    const clap_param_info_t& parameter = parameterNamed(parameters, setting.key, pluginName);
    const std::string named = std::string(parameter.name) + " (id " + std::to_string(parameter.id) + ")";
    if ((parameter.flags & CLAP_PARAM_IS_READONLY) != 0) {
      throw ToolError(kExitBadInput, "--param " + setting.key + ": " + named + " is read-only");
    }
    // Parsed again as a double: a CLAP value is one, and 0.1 should reach the plug-in as 0.1.
    double value = setting.value;
    std::from_chars(setting.valueText.data(), setting.valueText.data() + setting.valueText.size(), value);
    if (!(value >= parameter.min_value && value <= parameter.max_value)) {
      throw ToolError(kExitBadInput, "--param " + setting.key + "=" + setting.valueText + ": " + named + " takes " +
                                         number(parameter.min_value) + " to " + number(parameter.max_value));
    }
    values.push_back({parameter.id, parameter.cookie, value});
  }
  return values;
}

void flushParameters(const clap_plugin_t* plugin, const clap_plugin_params_t* params,
                     const std::vector<ClapParameterValue>& values) {
  if (params == nullptr || params->flush == nullptr) return;
  ClapInputEvents events;
  for (const ClapParameterValue& value : values) events.addParameterValue(value.id, value.cookie, value.value, 0);
  params->flush(plugin, events.list(), ignoredOutputEvents());
}
