#include "python/parameter_names.h"

#include <algorithm>
#include <map>
#include <variant>

namespace {

bool isWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A VST 2 module's names; its number for a parameter whose name is empty, is
// a number itself or is shared, so that every name stands for one parameter.
void takeVst2Names(const Vst2Description& plugin, std::vector<NamedParameter>& parameters) {
  std::map<std::string, int> uses;
  for (const Vst2Parameter& parameter : plugin.parameters) ++uses[trimmed(parameter.name)];
  for (size_t index = 0; index < parameters.size() && index < plugin.parameters.size(); ++index) {
    const std::string name = trimmed(plugin.parameters[index].name);
    if (!name.empty() && !isWholeNumber(name) && uses[name] == 1) parameters[index].name = name;
  }
}

}  // namespace

std::vector<NamedParameter> nameParameters(Instrument& instrument) {
  std::vector<NamedParameter> parameters;
  for (const auto& [key, value] : instrument.parameterValues()) parameters.push_back({key, key});
  const InstrumentDescription description = instrument.describe(false);
  if (const auto* vst2 = std::get_if<Vst2Description>(&description)) takeVst2Names(*vst2, parameters);
  return parameters;
}
