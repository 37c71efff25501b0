#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "tools/commands/clap_info.h"
#include "tools/commands/command_line.h"
#include "tools/commands/lv2_info.h"
#include "tools/commands/subcommands.h"
#include "tools/hosting/description_json.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/hosting/plugin_description.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kInfoUsage = "quorlin-host info [--plugin PATH] [--preset FILE] [--json]";

const char* const kInfoHelp =
    "usage: quorlin-host info [--plugin PATH] [--preset FILE] [--json]\n"
    "Describes a VST 2 module (identity, flags, programs, parameters and capabilities), an\n"
    "LV2 plug-in (URI, ports, features, presets and UIs) or a CLAP plug-in (id, parameters,\n"
    "ports, extensions and factory presets).\n"
    "\n"
    "  --plugin PATH     the VST 2 module, the LV2 plug-in's bundle folder or URI, or the CLAP\n"
    "                    plug-in's FILE.clap, FILE.clap#ID or id\n"
    "                    (default: the Quorlin module beside this program)\n"
    "  --preset FILE     load an .fxp program or .fxb bank first, and show every program's\n"
    "                    parameter values after it (VST 2); or a preset of the plug-in's\n"
    "                    format, and show the values it set\n"
    "  --json            the same as one JSON object, for scripts\n"
    "  --help            this text\n";

// A plug-in's text as one printable line: quoted, or (empty).
std::string shown(const std::string& text) {
  std::string line;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    line += byte >= 0x20 && byte < 0x7F ? c : '?';
  }
  return line.empty() ? "(empty)" : "\"" + line + "\"";
}

std::string flagList(const Vst2Description& plugin) {
  std::string names;
  for (const std::string& name : plugin.flags) names += (names.empty() ? "" : " ") + name;
  if (plugin.unnamedFlags != 0) {
    char rest[32];
    std::snprintf(rest, sizeof rest, "%s0x%X", names.empty() ? "" : " ", static_cast<unsigned>(plugin.unnamedFlags));
    names += rest;
  }
  return names.empty() ? "(none)" : names;
}

const char* canDoText(int64_t answer) {
  if (answer > 0) return "yes";
  if (answer < 0) return "no";
  return "don't know";
}

void printText(const Vst2Description& plugin) {
  std::printf("module          %s\n", plugin.modulePath.c_str());
  std::printf("name            %s\n", shown(plugin.name).c_str());
  std::printf("vendor          %s\n", shown(plugin.vendor).c_str());
  std::printf("product         %s\n", shown(plugin.product).c_str());
  std::printf("vendor version  %lld\n", static_cast<long long>(plugin.vendorVersion));
  std::printf("unique ID       '%s' (0x%08X)\n", plugin.uniqueIdText.c_str(),
              static_cast<unsigned>(plugin.uniqueId));
  std::printf("version         %d\n", plugin.version);
  std::printf("VST version     %lld\n", static_cast<long long>(plugin.vstVersion));
  std::printf("category        %lld (%s)\n", static_cast<long long>(plugin.category),
              plugin.categoryName.c_str());
  std::printf("inputs          %d\n", plugin.inputs);
  std::printf("outputs         %d\n", plugin.outputs);
  std::printf("flags           %s\n", flagList(plugin).c_str());
  std::printf("initial delay   %d frames\n", plugin.initialDelay);
  std::printf("tail size       %lld frames\n", static_cast<long long>(plugin.tailSize));

  std::printf("programs        %zu\n", plugin.programs.size());
  for (size_t program = 0; program < plugin.programs.size(); ++program) {
    std::string values;
    if (program < plugin.programValues.size()) {
      values = "  values";
      for (const float value : plugin.programValues[program]) {
        char text[32];
        std::snprintf(text, sizeof text, " %.9g", static_cast<double>(value));
        values += text;
      }
    }
    std::printf("  %3zu  %s%s\n", program, shown(plugin.programs[program]).c_str(), values.c_str());
  }

  std::printf("parameters      %zu\n", plugin.parameters.size());
  for (size_t index = 0; index < plugin.parameters.size(); ++index) {
    const Vst2Parameter& parameter = plugin.parameters[index];
    std::printf("  %3zu  name %s  label %s  display %s\n", index, shown(parameter.name).c_str(),
                shown(parameter.label).c_str(), shown(parameter.display).c_str());
  }

  std::printf("can do\n");
  for (const Vst2CanDo& canDo : plugin.canDo) std::printf("  %-30s %s\n", canDo.question, canDoText(canDo.answer));

  std::printf("output pins\n");
  for (size_t pin = 0; pin < plugin.outputPins.size(); ++pin) {
    const Vst2Pin& description = plugin.outputPins[pin];
    if (!description.described) {
      std::printf("  %3zu  (not described)\n", pin);
      continue;
    }
    std::printf("  %3zu  %s%s%s\n", pin, shown(description.label).c_str(), description.active ? " active" : "",
                description.stereo ? " stereo" : "");
  }
}

}  // namespace

int infoCommand(const Arguments& args) {
  const ParsedArguments parsed =
      parseArguments(args, {{"--plugin", true}, {"--preset", true}, {"--json", false}, {"--help", false}}, kInfoUsage);
  std::string pluginName = defaultPluginName();
  std::string preset;
  bool json = false;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--help") {
      std::fputs(kInfoHelp, stdout);
      return kExitSuccess;
    }
    if (name == "--json") {
      json = true;
    } else if (name == "--preset") {
      preset = value;
    } else {
      pluginName = value;
    }
  }
  if (!parsed.operands.empty()) throw usageError("unexpected argument '" + parsed.operands[0] + "'", kInfoUsage);

  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  const InstrumentDescription description = describePlugin(*plugin, preset);
  if (json) {
    std::fputs(describeAsJson(description).c_str(), stdout);
  } else if (const auto* vst2 = std::get_if<Vst2Description>(&description)) {
    printText(*vst2);
  } else if (const auto* lv2 = std::get_if<Lv2Description>(&description)) {
    printText(*lv2);
  } else {
    printText(std::get<ClapDescription>(description));
  }
  return kExitSuccess;
}
