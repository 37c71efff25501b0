#include "tools/audio/autoconnect.h"

#include "tools/system/tool_error.h"

namespace {

std::string nameOf(JackClient& client, jack_port_t* port) { return client.library().port_name(port); }

// `named` is the one of the two ports the user named with `option`.
void connectNamed(JackClient& client, const std::string& option, const std::string& named, const std::string& source,
                  const std::string& destination) {
  if (!client.portExists(named)) throw ToolError(kExitBadInput, option + " " + named + ": no such JACK port");
  if (!client.connect(source, destination)) {
    throw ToolError(kExitBadInput, option + " " + named + ": JACK does not connect " + source + " to " + destination);
  }
}

// Mono goes to both targets; with one target, both outputs go to it.
std::vector<std::string> connectOutputs(JackClient& client, const PlayedPorts& ports, const ConnectionChoice& choice) {
  std::vector<std::string> lines;
  const bool named = !choice.audioTargets.empty();
  std::vector<std::string> targets = named ? choice.audioTargets : std::vector<std::string>();
  if (!named && choice.automatic) {
    targets = client.ports(JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    if (targets.empty()) lines.push_back("no playback ports found: connect the outputs yourself");
    if (targets.size() > 2) targets.resize(2);
  }
  for (size_t i = 0; i < targets.size(); ++i) {
    for (size_t output = 0; output < ports.outputs.size(); ++output) {
      const bool pairs = ports.outputs.size() == targets.size();
      if (pairs && output != i) continue;
      const std::string source = nameOf(client, ports.outputs[output]);
      if (named) {
        connectNamed(client, "--audio-out", targets[i], source, targets[i]);
      } else if (!client.connect(source, targets[i])) {
        continue;
      }
      lines.push_back(source + " -> " + targets[i]);
    }
  }
  return lines;
}

}  // namespace

std::vector<std::string> connectPorts(JackClient& client, const PlayedPorts& ports, const ConnectionChoice& choice) {
  std::vector<std::string> lines = connectOutputs(client, ports, choice);
  const std::string input = nameOf(client, ports.midiInput);
  for (const std::string& source : choice.midiSources) {
    connectNamed(client, "--midi-in", source, source, input);
    lines.push_back(input + " <- " + source);
  }
  const std::vector<std::string> found = connectNewMidiSources(client, ports, choice);
  lines.insert(lines.end(), found.begin(), found.end());
  if (choice.automatic && choice.midiSources.empty() && found.empty()) {
    lines.push_back("no MIDI sources found yet: one that appears is connected");
  }
  return lines;
}

std::vector<std::string> connectNewMidiSources(JackClient& client, const PlayedPorts& ports,
                                               const ConnectionChoice& choice) {
  std::vector<std::string> lines;
  if (!choice.automatic || !choice.midiSources.empty()) return lines;
  const std::string input = nameOf(client, ports.midiInput);
  for (const std::string& source : client.ports(JACK_DEFAULT_MIDI_TYPE, JackPortIsPhysical | JackPortIsOutput)) {
    if (client.connected(ports.midiInput, source) || !client.connect(source, input)) continue;
    lines.push_back(input + " <- " + source);
  }
  return lines;
}
