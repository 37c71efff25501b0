#include "tools/commands/play_options.h"

#include "tools/commands/command_line.h"
#include "tools/commands/session_options.h"
#include "tools/system/tool_error.h"

const char* const kPlayHelp =
    "usage: quorlin-host play [options]\n"
    "Plays an instrument live as a JACK client, through JACK or through PipeWire\n"
    "(pw-jack quorlin-host play): MIDI in, audio out, its editor in a window.\n"
    "Ctrl-C or closing the editor's window ends it, with every held note let go.\n"
    "\n"
    "  --plugin PATH|URI    the VST 2 module, the LV2 plug-in's bundle folder or URI, or the\n"
    "                       CLAP plug-in's FILE.clap, FILE.clap#ID or id\n"
    "                       (default: the Quorlin module beside this program)\n"
    "  --preset FILE        load an .fxp program or .fxb bank first (VST 2), an LV2 preset's\n"
    "                       URI or bundle folder, or a CLAP .clapstate file or factory\n"
    "                       preset's name\n"
    "  --program P          program to select (default 0)\n"
    "  --param I=V          set parameter I to V (VST 2: 0 to 1; LV2: a control port's\n"
    "                       symbol or index; CLAP: a parameter's id or name) (repeatable)\n"
    "  --name NAME          the JACK client's name (default quorlin-host)\n"
    "  --server NAME        the JACK server to play through (default: $JACK_DEFAULT_SERVER,\n"
    "                       or the default server); none is ever started\n"
    "  --no-autoconnect     connect nothing by default (then connect with a patchbay)\n"
    "  --midi-in PORT       take MIDI from this port instead of every physical MIDI source\n"
    "                       (repeatable)\n"
    "  --audio-out L,R      play into these two ports instead of the physical playback ports\n"
    "  --channel N          take MIDI from channel N only, 1 to 16 (default: every channel)\n"
    "  --no-editor          play without opening the editor (the default without a display)\n"
    "  --help               this text\n"
    "\n"
    "By default the outputs go to the first two physical playback ports and the MIDI\n"
    "input takes every physical MIDI source, keyboards plugged in while playing included.\n"
    "The sample rate and period are the server's, and follow it when it changes them.\n"
    "\n"
    "Exit status: 0 ended by Ctrl-C, SIGTERM or the window, 2 bad usage, preset or port,\n"
    "3 the plug-in could not be loaded, 5 no JACK library or server, or the server went\n"
    "away while playing.\n";

namespace {

const char* const kPlayUsage =
    "quorlin-host play [--plugin PATH|URI] [--preset FILE] [--program P] [--param I=V]... [--name NAME] "
    "[--server NAME] [--no-autoconnect] [--midi-in PORT]... [--audio-out LEFT,RIGHT] [--channel N] [--no-editor]";

const std::vector<OptionDefinition> kPlayOptions = {
    {"--plugin", true},   {"--preset", true},          {"--program", true},  {"--param", true},
    {"--name", true},     {"--server", true},          {"--midi-in", true},  {"--audio-out", true},
    {"--channel", true},  {"--no-autoconnect", false}, {"--no-editor", false}, {"--help", false},
};

constexpr int64_t kChannels = 16;

std::string nonEmpty(const std::string& option, const std::string& value) {
  if (value.empty()) throw usageError(option + " needs a name", kPlayUsage);
  return value;
}

std::vector<std::string> portPair(const std::string& option, const std::string& value) {
  const size_t comma = value.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 == value.size() ||
      value.find(',', comma + 1) != std::string::npos) {
    throw usageError(option + " needs two ports, LEFT,RIGHT, not '" + value + "'", kPlayUsage);
  }
  return {value.substr(0, comma), value.substr(comma + 1)};
}

}  // namespace

PlayOptions parsePlayOptions(const Arguments& args) {
  const ParsedArguments parsed = parseArguments(args, kPlayOptions, kPlayUsage);
  if (!parsed.operands.empty()) throw usageError("unexpected '" + parsed.operands[0] + "'", kPlayUsage);
  PlayOptions options;
  for (const auto& [name, value] : parsed.options) {
    if (applySessionOption(options.session, name, value, kPlayUsage)) continue;
    if (name == "--help") {
      options.help = true;
    } else if (name == "--plugin") {
      options.pluginName = value;
    } else if (name == "--name") {
      options.clientName = nonEmpty(name, value);
    } else if (name == "--server") {
      options.serverName = nonEmpty(name, value);
    } else if (name == "--midi-in") {
      options.connections.midiSources.push_back(nonEmpty(name, value));
    } else if (name == "--audio-out") {
      options.connections.audioTargets = portPair(name, value);
    } else if (name == "--channel") {
      options.channel = static_cast<int>(parseWholeNumber(name, value, 1, kChannels, kPlayUsage)) - 1;
    } else if (name == "--no-autoconnect") {
      options.connections.automatic = false;
    } else if (name == "--no-editor") {
      options.editor = false;
    }
  }
  return options;
}
