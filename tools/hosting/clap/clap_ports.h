// A plug-in's audio and note ports, as clap.audio-ports and clap.note-ports
// describe them (main thread, while inactive), and what the host makes of
// them: the audio it renders and where the song's notes go.
#pragma once

#include <string>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"
#include "tools/hosting/clap/clap_events.h"

struct ClapPorts {
  std::vector<clap_audio_port_info_t> audioInputs, audioOutputs;
  std::vector<clap_note_port_info_t> noteInputs, noteOutputs;

  uint32_t outputChannels() const;
  // The first note input; in CLAP's note events when it prefers them or
  // takes no MIDI, as MIDI otherwise.
  NoteInput noteInput() const;
};

ClapPorts readPorts(const clap_plugin_t* plugin, const clap_plugin_audio_ports_t* audio,
                    const clap_plugin_note_ports_t* notes);

// Throws ToolError (kExitBadModule) for a plug-in that cannot be played: no
// note input in a dialect the host speaks, or no audio output.
void checkPlayable(const ClapPorts& ports, const std::string& pluginName);
