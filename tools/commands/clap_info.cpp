#include "tools/commands/clap_info.h"

#include <cstdio>

#include "tools/files/json_text.h"

namespace {

std::string words(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : " ") + item;
  return text.empty() ? "(none)" : text;
}

std::string shown(const std::string& text) { return text.empty() ? "(none)" : text; }

std::string where(const ClapPreset& preset) {
  std::string place = preset.inModule ? "in the module" : preset.location;
  if (preset.loadKey) place += ", key " + *preset.loadKey;
  return place;
}

void printAudioPorts(const char* heading, const std::vector<ClapAudioPort>& ports) {
  std::printf("%-16s%zu\n", heading, ports.size());
  for (const ClapAudioPort& port : ports) {
    std::printf("  %3u  %s  %u ch%s%s\n", port.id, port.name.c_str(), port.channels,
                port.type.empty() ? "" : (" " + port.type).c_str(), port.main ? " main" : "");
  }
}

void printNotePorts(const char* heading, const std::vector<ClapNotePort>& ports) {
  std::printf("%-16s%zu\n", heading, ports.size());
  for (const ClapNotePort& port : ports) {
    std::printf("  %3u  %s  %s (prefers %s)\n", port.id, port.name.c_str(), words(port.dialects).c_str(),
                shown(port.preferred).c_str());
  }
}

}  // namespace

void printText(const ClapDescription& plugin) {
  std::printf("module          %s\n", plugin.modulePath.c_str());
  std::printf("module holds    %s\n", words(plugin.modulePlugins).c_str());
  std::printf("id              %s\n", plugin.id.c_str());
  std::printf("name            %s\n", shown(plugin.name).c_str());
  std::printf("vendor          %s\n", shown(plugin.vendor).c_str());
  std::printf("version         %s\n", shown(plugin.version).c_str());
  std::printf("description     %s\n", shown(plugin.description).c_str());
  std::printf("url             %s\n", shown(plugin.url).c_str());
  std::printf("manual url      %s\n", shown(plugin.manualUrl).c_str());
  std::printf("support url     %s\n", shown(plugin.supportUrl).c_str());
  std::printf("CLAP version    %s\n", plugin.clapVersion.c_str());
  std::printf("features        %s\n", words(plugin.features).c_str());
  printAudioPorts("audio inputs", plugin.audioInputs);
  printAudioPorts("audio outputs", plugin.audioOutputs);
  printNotePorts("note inputs", plugin.noteInputs);
  printNotePorts("note outputs", plugin.noteOutputs);
  std::printf("notes sent as   %s\n", plugin.clapNotes ? "CLAP note events" : "MIDI");
  std::printf("parameters      %zu\n", plugin.parameters.size());
  for (const ClapParameter& parameter : plugin.parameters) {
    const std::string module = parameter.module.empty() ? "" : parameter.module + "/";
    const std::string value = parameter.value ? exactNumber(*parameter.value) : "-";
    std::printf("  %10u  %s%s  [%s %s %s]  value %s \"%s\"  %s\n", parameter.id, module.c_str(), parameter.name.c_str(),
                exactNumber(parameter.minimum).c_str(), exactNumber(parameter.defaultValue).c_str(),
                exactNumber(parameter.maximum).c_str(), value.c_str(), parameter.valueText.c_str(),
                words(parameter.flags).c_str());
  }
  std::printf("extensions      %s\n", words(plugin.extensions).c_str());
  std::printf("presets         %zu\n", plugin.presets.size());
  for (const ClapPreset& preset : plugin.presets) std::printf("  %s  (%s)\n", preset.name.c_str(), where(preset).c_str());
}
