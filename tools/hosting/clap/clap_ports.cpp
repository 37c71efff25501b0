#include "tools/hosting/clap/clap_ports.h"

#include "tools/system/tool_error.h"

namespace {

constexpr uint32_t kMidiDialects = CLAP_NOTE_DIALECT_MIDI | CLAP_NOTE_DIALECT_MIDI_MPE;
constexpr uint32_t kSpokenDialects = CLAP_NOTE_DIALECT_CLAP | kMidiDialects;

template <typename Info, typename Extension>
std::vector<Info> portsOf(const clap_plugin_t* plugin, const Extension* extension, bool input) {
  std::vector<Info> ports;
  if (extension == nullptr || extension->count == nullptr || extension->get == nullptr) return ports;
  const uint32_t count = extension->count(plugin, input);
  for (uint32_t index = 0; index < count; ++index) {
    Info info{};
    if (!extension->get(plugin, index, input, &info)) continue;
    info.name[sizeof info.name - 1] = '\0';
    ports.push_back(info);
  }
  return ports;
}

}  // namespace

ClapPorts readPorts(const clap_plugin_t* plugin, const clap_plugin_audio_ports_t* audio,
                    const clap_plugin_note_ports_t* notes) {
  ClapPorts ports;
  ports.audioInputs = portsOf<clap_audio_port_info_t>(plugin, audio, true);
  ports.audioOutputs = portsOf<clap_audio_port_info_t>(plugin, audio, false);
  ports.noteInputs = portsOf<clap_note_port_info_t>(plugin, notes, true);
  ports.noteOutputs = portsOf<clap_note_port_info_t>(plugin, notes, false);
  return ports;
}

uint32_t ClapPorts::outputChannels() const {
  uint32_t channels = 0;
  for (const clap_audio_port_info_t& port : audioOutputs) channels += port.channel_count;
  return channels;
}

NoteInput ClapPorts::noteInput() const {
  const clap_note_port_info_t& port = noteInputs.front();
  const bool clapNotes = port.preferred_dialect == CLAP_NOTE_DIALECT_CLAP || (port.supported_dialects & kMidiDialects) == 0;
  return NoteInput{0, clapNotes};
}

void checkPlayable(const ClapPorts& ports, const std::string& pluginName) {
  if (ports.noteInputs.empty()) {
    throw ToolError(kExitBadModule, pluginName + ": the plug-in has no note input, so it is no instrument");
  }
  if ((ports.noteInputs.front().supported_dialects & kSpokenDialects) == 0) {
    throw ToolError(kExitBadModule, pluginName + ": the plug-in's note input takes neither CLAP notes nor MIDI 1.0");
  }
  if (ports.outputChannels() == 0) throw ToolError(kExitBadModule, pluginName + ": the plug-in has no audio outputs");
}
