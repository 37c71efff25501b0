// Where play's ports are connected: to the ports the user named, or else to
// the machine's own, found by their flags (physical, and input or output),
// never by their names, which differ from one machine and one server to the
// next.
#pragma once

#include <string>
#include <vector>

#include "tools/audio/jack_client.h"

struct ConnectionChoice {
  bool automatic = true;                  // false with --no-autoconnect
  std::vector<std::string> midiSources;   // --midi-in: these instead of the physical MIDI sources
  std::vector<std::string> audioTargets;  // --audio-out LEFT,RIGHT: these instead of the physical playback
};

// The ports play owns, and whose connections it reports.
struct PlayedPorts {
  jack_port_t* midiInput;
  std::vector<jack_port_t*> outputs;  // one or two
};

// Connects the outputs and the MIDI input as chosen, and tells what it did,
// a line each ("quorlin:out_left -> system:playback_1"). Throws ToolError
// (kExitBadInput) for a named port that does not exist or does not connect.
std::vector<std::string> connectPorts(JackClient& client, const PlayedPorts& ports, const ConnectionChoice& choice);

// Connects the physical MIDI sources not yet connected (a keyboard plugged in
// while playing), when the choice is automatic and names none; a line each.
std::vector<std::string> connectNewMidiSources(JackClient& client, const PlayedPorts& ports,
                                               const ConnectionChoice& choice);
