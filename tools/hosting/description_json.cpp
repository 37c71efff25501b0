#include "tools/hosting/description_json.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include "tools/files/json_text.h"
#include "tools/hosting/song_player.h"

namespace {

std::string number(long long value) { return std::to_string(value); }

std::string optionalNumber(const std::optional<float>& value) { return value ? jsonNumber(*value) : "null"; }

const char* canDoValue(int64_t answer) {
  if (answer > 0) return "true";
  if (answer < 0) return "false";
  return "null";
}

std::string jsonAudioPorts(const std::vector<ClapAudioPort>& ports) {
  std::vector<std::string> items;
  for (const ClapAudioPort& port : ports) {
    items.push_back("{\"id\": " + std::to_string(port.id) + ", \"name\": " + jsonString(port.name) +
                    ", \"channels\": " + std::to_string(port.channels) + ", \"type\": " + jsonString(port.type) +
                    ", \"main\": " + (port.main ? "true" : "false") + "}");
  }
  return jsonList(items, "    ");
}

// Texts as a JSON list on one line.
std::string jsonInline(const std::vector<std::string>& texts) {
  std::string list;
  for (const std::string& text : texts) list += (list.empty() ? "" : ", ") + jsonString(text);
  return "[" + list + "]";
}

std::string jsonNotePorts(const std::vector<ClapNotePort>& ports) {
  std::vector<std::string> items;
  for (const ClapNotePort& port : ports) {
    items.push_back("{\"id\": " + std::to_string(port.id) + ", \"name\": " + jsonString(port.name) +
                    ", \"dialects\": " + jsonInline(port.dialects) + ", \"preferred\": " + jsonString(port.preferred) +
                    "}");
  }
  return jsonList(items, "    ");
}

uint32_t channelsOf(const std::vector<ClapAudioPort>& ports) {
  uint32_t channels = 0;
  for (const ClapAudioPort& port : ports) channels += port.channels;
  return channels;
}

std::string exactOptionalNumber(const std::optional<double>& value) {
  return value && std::isfinite(*value) ? exactNumber(*value) : "null";
}

// Each format's object, by its own fields.
std::string objectOf(const Vst2Description& plugin) {
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

std::string objectOf(const Lv2Description& plugin) {
  std::string json = "{\n";
  const auto field = [&](const std::string& name, const std::string& value, bool last = false) {
    json += "  " + jsonString(name) + ": " + value + (last ? "\n" : ",\n");
  };
  field("uri", jsonString(plugin.uri));
  field("bundle", jsonString(plugin.bundle));
  field("name", jsonString(plugin.name));
  field("author", jsonString(plugin.author));
  field("class", jsonString(plugin.className));
  field("audioOutputs", std::to_string(plugin.audioOutputs));
  field("writtenOutputs", std::to_string(std::min(plugin.audioOutputs, kMaxRenderedChannels)));
  std::vector<std::string> ports;
  for (const Lv2Port& port : plugin.ports) {
    std::vector<std::string> points;
    for (const Lv2ScalePoint& point : port.scalePoints) {
      points.push_back("{\"value\": " + jsonNumber(point.value) + ", \"label\": " + jsonString(point.label) + "}");
    }
    std::string pointList;
    for (const std::string& point : points) pointList += (pointList.empty() ? "" : ", ") + point;
    ports.push_back("{\"index\": " + std::to_string(port.index) + ", \"symbol\": " + jsonString(port.symbol) +
                    ", \"name\": " + jsonString(port.name) + ", \"kind\": " + jsonString(lv2PortKindName(port.kind)) +
                    ", \"direction\": " + (port.input ? "\"input\"" : "\"output\"") +
                    ", \"midiInput\": " + (port.midiInput ? "true" : "false") +
                    ", \"minimum\": " + optionalNumber(port.minimum) +
                    ", \"default\": " + optionalNumber(port.defaultValue) +
                    ", \"maximum\": " + optionalNumber(port.maximum) + ", \"scalePoints\": [" + pointList + "]}");
  }
  field("ports", jsonList(ports, "    "));
  field("requiredFeatures", jsonList(jsonStrings(plugin.requiredFeatures), "    "));
  field("optionalFeatures", jsonList(jsonStrings(plugin.optionalFeatures), "    "));
  std::vector<std::string> presets;
  for (const Lv2Preset& preset : plugin.presets) {
    presets.push_back("{\"uri\": " + jsonString(preset.uri) + ", \"label\": " + jsonString(preset.label) + "}");
  }
  field("presets", jsonList(presets, "    "));
  std::vector<std::string> uis;
  for (const Lv2Ui& ui : plugin.uis) {
    uis.push_back("{\"uri\": " + jsonString(ui.uri) + ", \"kind\": " + jsonString(ui.kind) +
                  ", \"opens\": " + (ui.opens ? "true" : "false") + "}");
  }
  field("uis", jsonList(uis, "    "), true);
  return json + "}\n";
}

std::string objectOf(const ClapDescription& plugin) {
  std::string json = "{\n";
  const auto field = [&](const std::string& name, const std::string& value, bool last = false) {
    json += "  " + jsonString(name) + ": " + value + (last ? "\n" : ",\n");
  };
  field("module", jsonString(plugin.modulePath));
  field("modulePlugins", jsonList(jsonStrings(plugin.modulePlugins), "    "));
  field("id", jsonString(plugin.id));
  field("name", jsonString(plugin.name));
  field("vendor", jsonString(plugin.vendor));
  field("version", jsonString(plugin.version));
  field("description", jsonString(plugin.description));
  field("url", jsonString(plugin.url));
  field("manualUrl", jsonString(plugin.manualUrl));
  field("supportUrl", jsonString(plugin.supportUrl));
  field("clapVersion", jsonString(plugin.clapVersion));
  field("features", jsonList(jsonStrings(plugin.features), "    "));
  field("audioInputs", jsonAudioPorts(plugin.audioInputs));
  field("audioOutputs", jsonAudioPorts(plugin.audioOutputs));
  field("writtenOutputs", std::to_string(std::min<uint32_t>(channelsOf(plugin.audioOutputs), kMaxRenderedChannels)));
  field("noteInputs", jsonNotePorts(plugin.noteInputs));
  field("noteOutputs", jsonNotePorts(plugin.noteOutputs));
  field("notesSentAs", plugin.clapNotes ? "\"clap\"" : "\"midi\"");
  std::vector<std::string> parameters;
  for (const ClapParameter& parameter : plugin.parameters) {
    parameters.push_back("{\"id\": " + std::to_string(parameter.id) + ", \"name\": " + jsonString(parameter.name) +
                         ", \"module\": " + jsonString(parameter.module) +
                         ", \"minimum\": " + exactOptionalNumber(parameter.minimum) +
                         ", \"default\": " + exactOptionalNumber(parameter.defaultValue) +
                         ", \"maximum\": " + exactOptionalNumber(parameter.maximum) +
                         ", \"value\": " + exactOptionalNumber(parameter.value) +
                         ", \"valueText\": " + jsonString(parameter.valueText) +
                         ", \"flags\": " + jsonInline(parameter.flags) + "}");
  }
  field("parameters", jsonList(parameters, "    "));
  field("extensions", jsonList(jsonStrings(plugin.extensions), "    "));
  std::vector<std::string> presets;
  for (const ClapPreset& preset : plugin.presets) {
    presets.push_back("{\"name\": " + jsonString(preset.name) + ", \"inModule\": " + (preset.inModule ? "true" : "false") +
                      ", \"location\": " + jsonString(preset.location) +
                      ", \"loadKey\": " + (preset.loadKey ? jsonString(*preset.loadKey) : "null") + "}");
  }
  field("presets", jsonList(presets, "    "), true);
  return json + "}\n";
}

}  // namespace

std::string describeAsJson(const InstrumentDescription& description) {
  return std::visit([](const auto& plugin) { return objectOf(plugin); }, description);
}
