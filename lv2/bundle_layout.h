// What the plug-in, its UI and its Turtle agree on: the URIs the bundle
// describes and the plug-in's ports by index.
#pragma once

#include <cstdint>

#include "engine/parameters.h"

// The project's own names; the "urn:" scheme claims no domain.
constexpr const char* kInstrumentUri = "urn:quorlin:instrument";
constexpr const char* kEditorUri = "urn:quorlin:instrument:editor";
// A factory sound's preset is this followed by its slug.
constexpr const char* kPresetUriPrefix = "urn:quorlin:instrument:preset:";

enum PortIndex : uint32_t {
  kMidiInPort = 0,    // atom sequence of MIDI events
  kLeftOutPort = 1,   // audio
  kRightOutPort = 2,  // audio
  kFirstControlPort = 3,
};
// One control port per parameter, in ParameterIndex order, so that control
// input i is the VST 2 build's parameter i.
constexpr uint32_t kPortCount = kFirstControlPort + kParameterCount;

constexpr uint32_t controlPortOf(int parameter) { return kFirstControlPort + static_cast<uint32_t>(parameter); }
/// The parameter a port index carries, or -1 for a port that is no control.
constexpr int parameterOfPort(uint32_t port) {
  return port >= kFirstControlPort && port < kPortCount ? static_cast<int>(port - kFirstControlPort) : -1;
}
