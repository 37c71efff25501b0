#include "tools/commands/lv2_info.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "tools/commands/json_text.h"
#include "tools/commands/song_render.h"

namespace {

// Nine significant digits tell every float apart.
std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

const char* kindName(Lv2PortKind kind) {
  switch (kind) {
    case Lv2PortKind::Audio: return "audio";
    case Lv2PortKind::Control: return "control";
    case Lv2PortKind::Cv: return "cv";
    case Lv2PortKind::Atom: return "atom";
    case Lv2PortKind::Other: break;
  }
  return "other";
}

std::string shownNumber(const std::optional<float>& value) { return value ? number(*value) : "-"; }

std::string jsonNumber(const std::optional<float>& value) { return value ? number(*value) : "null"; }

std::string lines(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "  " + item + "\n";
  return text;
}

}  // namespace

void printText(const Lv2Description& plugin) {
  std::printf("uri             %s\n", plugin.uri.c_str());
  std::printf("bundle          %s\n", plugin.bundle.c_str());
  std::printf("name            %s\n", plugin.name.c_str());
  std::printf("author          %s\n", plugin.author.empty() ? "(none)" : plugin.author.c_str());
  std::printf("class           %s\n", plugin.className.c_str());
  std::printf("audio outputs   %d", plugin.audioOutputs);
  if (plugin.audioOutputs > kMaxWrittenChannels) std::printf(" (a render writes the first %d)", kMaxWrittenChannels);
  std::printf("\nports           %zu\n", plugin.ports.size());
  for (const Lv2Port& port : plugin.ports) {
    std::printf("  %3u  %-7s %-6s %-20s %s", port.index, kindName(port.kind), port.input ? "in" : "out",
                port.symbol.c_str(), port.name.c_str());
    if (port.kind == Lv2PortKind::Control) {
      std::printf("  [%s %s %s]", shownNumber(port.minimum).c_str(), shownNumber(port.defaultValue).c_str(),
                  shownNumber(port.maximum).c_str());
    }
    if (port.midiInput) std::printf("  (MIDI in)");
    std::printf("\n");
    for (const Lv2ScalePoint& point : port.scalePoints) {
      std::printf("         %s = %s\n", number(point.value).c_str(), point.label.c_str());
    }
  }
  std::printf("required features\n%s", lines(plugin.requiredFeatures).c_str());
  std::printf("optional features\n%s", lines(plugin.optionalFeatures).c_str());
  std::printf("presets         %zu\n", plugin.presets.size());
  for (const Lv2Preset& preset : plugin.presets) std::printf("  %s  %s\n", preset.uri.c_str(), preset.label.c_str());
  std::printf("UIs             %zu\n", plugin.uis.size());
  for (const Lv2Ui& ui : plugin.uis) {
    std::printf("  %s  %s%s\n", ui.uri.c_str(), ui.kind.c_str(), ui.opens ? "  (quorlin-host editor opens it)" : "");
  }
}

std::string describeAsJson(const Lv2Description& plugin) {
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
  field("writtenOutputs", std::to_string(std::min(plugin.audioOutputs, kMaxWrittenChannels)));
  std::vector<std::string> ports;
  for (const Lv2Port& port : plugin.ports) {
    std::vector<std::string> points;
    for (const Lv2ScalePoint& point : port.scalePoints) {
      points.push_back("{\"value\": " + number(point.value) + ", \"label\": " + jsonString(point.label) + "}");
    }
    std::string pointList;
    for (const std::string& point : points) pointList += (pointList.empty() ? "" : ", ") + point;
    ports.push_back("{\"index\": " + std::to_string(port.index) + ", \"symbol\": " + jsonString(port.symbol) +
                    ", \"name\": " + jsonString(port.name) + ", \"kind\": " + jsonString(kindName(port.kind)) +
                    ", \"direction\": " + (port.input ? "\"input\"" : "\"output\"") +
                    ", \"midiInput\": " + (port.midiInput ? "true" : "false") +
                    ", \"minimum\": " + jsonNumber(port.minimum) + ", \"default\": " + jsonNumber(port.defaultValue) +
                    ", \"maximum\": " + jsonNumber(port.maximum) + ", \"scalePoints\": [" + pointList + "]}");
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
