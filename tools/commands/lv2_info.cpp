#include "tools/commands/lv2_info.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "tools/hosting/song_player.h"

namespace {

// Nine significant digits tell every float apart.
std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

std::string shownNumber(const std::optional<float>& value) { return value ? number(*value) : "-"; }

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
  if (plugin.audioOutputs > kMaxRenderedChannels) std::printf(" (a render writes the first %d)", kMaxRenderedChannels);
  std::printf("\nports           %zu\n", plugin.ports.size());
  for (const Lv2Port& port : plugin.ports) {
    std::printf("  %3u  %-7s %-6s %-20s %s", port.index, lv2PortKindName(port.kind), port.input ? "in" : "out",
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
