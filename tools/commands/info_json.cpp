#include "tools/commands/info_json.h"

#include "tools/commands/json_text.h"

namespace {

std::string number(long long value) { return std::to_string(value); }

const char* canDoValue(int64_t answer) {
  if (answer > 0) return "true";
  if (answer < 0) return "false";
  return "null";
}

}  // namespace

std::string describeAsJson(const Vst2Description& plugin) {
  std::string json = "{\n";
  const auto field = [&](const std::string& name, const std::string& value, bool last = false) {
    json += "  " + jsonString(name) + ": " + value + (last ? "\n" : ",\n");
  };
  field("module", jsonString(plugin.modulePath));
  field("name", jsonString(plugin.name));
  field("vendor", jsonString(plugin.vendor));
  field("product", jsonString(plugin.product));
  field("vendorVersion", number(plugin.vendorVersion));
  field("uniqueId", jsonString(plugin.uniqueIdText));
  field("uniqueIdNumber", number(plugin.uniqueId));
  field("version", number(plugin.version));
  field("vstVersion", number(plugin.vstVersion));
  field("category", number(plugin.category));
  field("categoryName", jsonString(plugin.categoryName));
  field("inputs", number(plugin.inputs));
  field("outputs", number(plugin.outputs));
  std::string flags;
  for (const std::string& name : plugin.flags) flags += (flags.empty() ? "" : ", ") + jsonString(name);
  field("flags", "[" + flags + "]");
  field("unnamedFlags", number(plugin.unnamedFlags));
  field("initialDelay", number(plugin.initialDelay));
  field("tailSize", number(plugin.tailSize));

  std::string programs;
  for (const std::string& name : plugin.programs)
    programs += (programs.empty() ? "\n    " : ",\n    ") + jsonString(name);
  field("programs", "[" + programs + (programs.empty() ? "]" : "\n  ]"));
  if (!plugin.programValues.empty()) {
    std::string values;
    for (const std::vector<float>& program : plugin.programValues) {
      std::string list;
      for (const float value : program) {
        list += (list.empty() ? "" : ", ") + jsonNumber(value);
      }
      values += (values.empty() ? "\n    [" : ",\n    [") + list + "]";
    }
    field("programValues", "[" + values + "\n  ]");
  }

  std::string parameters;
  for (const Vst2Parameter& parameter : plugin.parameters) {
    parameters += (parameters.empty() ? "\n    " : ",\n    ");
    parameters += "{\"name\": " + jsonString(parameter.name) + ", \"label\": " + jsonString(parameter.label) +
                  ", \"display\": " + jsonString(parameter.display) + "}";
  }
  field("parameters", "[" + parameters + (parameters.empty() ? "]" : "\n  ]"));

  std::string canDo;
  for (const Vst2CanDo& answer : plugin.canDo) {
    canDo += (canDo.empty() ? "\n    " : ",\n    ") + jsonString(answer.question) + ": " + canDoValue(answer.answer);
  }
  field("canDo", "{" + canDo + (canDo.empty() ? "}" : "\n  }"));

  std::string pins;
  for (const Vst2Pin& pin : plugin.outputPins) {
    pins += (pins.empty() ? "\n    " : ",\n    ");
    if (!pin.described) {
      pins += "null";
    } else {
      pins += "{\"label\": " + jsonString(pin.label) + ", \"active\": " + (pin.active ? "true" : "false") +
              ", \"stereo\": " + (pin.stereo ? "true" : "false") + "}";
    }
  }
  field("outputPins", "[" + pins + (pins.empty() ? "]" : "\n  ]"), true);
  return json + "}\n";
}
