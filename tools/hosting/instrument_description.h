// What `quorlin-host info` learns of an instrument: everything the plug-in
// tells about itself, asked once, in the terms of its format. Texts are kept
// as the plug-in wrote them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct Vst2Parameter {
  std::string name;
  std::string label;
  std::string display;
};

struct Vst2CanDo {
  const char* question;
  int64_t answer;  // 1 yes, -1 no, 0 don't know
};

struct Vst2Pin {
  bool described = false;  // false when the plug-in does not answer for the pin
  std::string label;
  bool active = false;
  bool stereo = false;
};

struct Vst2Description {
  std::string modulePath;
  std::string name;
  std::string vendor;
  std::string product;
  int64_t vendorVersion = 0;
  int32_t uniqueId = 0;
  std::string uniqueIdText;  // its four characters, '?' for any that is not printable
  int32_t version = 0;
  int64_t vstVersion = 0;
  int64_t category = 0;
  std::string categoryName;  // "synth", "effect", ... or "?"
  int32_t inputs = 0;
  int32_t outputs = 0;
  std::vector<std::string> flags;  // the names of the known flags set, in bit order
  int32_t unnamedFlags = 0;        // the flags set that have no name
  int32_t initialDelay = 0;
  int64_t tailSize = 0;
  std::vector<std::string> programs;
  std::vector<std::vector<float>> programValues;  // each program's parameters; asked for only after a preset
  std::vector<Vst2Parameter> parameters;
  std::vector<Vst2CanDo> canDo;
  std::vector<Vst2Pin> outputPins;
};

struct Lv2ScalePoint {
  float value = 0.0f;
  std::string label;
};

enum class Lv2PortKind { Audio, Control, Cv, Atom, Other };

// The kind as `info` names it.
inline const char* lv2PortKindName(Lv2PortKind kind) {
  switch (kind) {
    case Lv2PortKind::Audio: return "audio";
    case Lv2PortKind::Control: return "control";
    case Lv2PortKind::Cv: return "cv";
    case Lv2PortKind::Atom: return "atom";
    case Lv2PortKind::Other: break;
  }
  return "other";
}

struct Lv2Port {
  uint32_t index = 0;
  std::string symbol;
  std::string name;
  Lv2PortKind kind = Lv2PortKind::Other;
  bool input = false;
  bool midiInput = false;  // the atom input the song's MIDI goes to
  bool optional = false;   // may be left unconnected
  uint32_t minimumSize = 0;  // an atom port's smallest buffer, in bytes, where it asks for one
  std::optional<float> minimum, defaultValue, maximum;
  std::vector<Lv2ScalePoint> scalePoints;
};

struct Lv2Preset {
  std::string uri;
  std::string label;
};

struct Lv2Ui {
  std::string uri;
  std::string kind;  // the class's URI, such as ".../ui#X11UI"
  bool opens = false;  // a kind quorlin-host opens
};

struct Lv2Description {
  std::string uri;
  std::string bundle;  // the bundle's folder
  std::string name;
  std::string author;
  std::string className;  // "Instrument", ...
  std::vector<Lv2Port> ports;
  int audioOutputs = 0;
  std::vector<std::string> requiredFeatures;
  std::vector<std::string> optionalFeatures;
  std::vector<Lv2Preset> presets;
  std::vector<Lv2Ui> uis;
};

struct ClapParameter {
  uint32_t id = 0;
  std::string name;
  std::string module;  // the group it is shown in, "/"-separated; may be empty
  double minimum = 0.0, defaultValue = 0.0, maximum = 0.0;
  std::vector<std::string> flags;  // the names of the flags set ("stepped", "automatable", ...)
  std::optional<double> value;     // none when the plug-in does not tell it
  std::string valueText;           // the plug-in's own text for the value
};

struct ClapAudioPort {
  uint32_t id = 0;
  std::string name;
  uint32_t channels = 0;
  std::string type;  // "mono", "stereo", another, or empty
  bool main = false;
};

struct ClapNotePort {
  uint32_t id = 0;
  std::string name;
  std::vector<std::string> dialects;  // "clap", "midi", "midi-mpe", "midi2"
  std::string preferred;
};

// A preset the module's preset-discovery factory declares for the plug-in.
struct ClapPreset {
  std::string name;
  bool inModule = true;           // false: in the file `location`
  std::string location;
  std::optional<std::string> loadKey;  // which preset of a container (the module, a bank file)
};

struct ClapDescription {
  std::string modulePath;
  std::vector<std::string> modulePlugins;  // the ids of every plug-in in the module
  std::string id;
  std::string name;
  std::string vendor;
  std::string version;
  std::string description;
  std::string url;
  std::string manualUrl;
  std::string supportUrl;
  std::string clapVersion;  // of the CLAP the plug-in was made for, "1.2.10"
  std::vector<std::string> features;
  std::vector<ClapParameter> parameters;
  std::vector<ClapAudioPort> audioInputs, audioOutputs;
  std::vector<ClapNotePort> noteInputs, noteOutputs;
  bool clapNotes = true;  // the song's notes go to the first note input as CLAP notes, not MIDI
  std::vector<std::string> extensions;  // the ids of the plug-in extensions it offers, of those CLAP 1.2 publishes
  std::vector<ClapPreset> presets;
};

using InstrumentDescription = std::variant<Vst2Description, Lv2Description, ClapDescription>;
