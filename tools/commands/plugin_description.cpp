#include "tools/commands/plugin_description.h"

#include <algorithm>

#include <cstdint>

namespace {

// Texts come back in buffers the host supplies; plug-ins often write more than
// the published limits, so the buffers are generous and always terminated.
constexpr size_t kTextBufferSize = 1024;

// The capability strings hosts usually ask about.
const char* const kCanDoQuestions[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "offline",
    "midiProgramNames",
    "bypass",
    "midiKeyBasedInstrumentControl",
    "midiSingleNoteTuningChange",
};

const char* const kCategoryNames[] = {"unknown",     "effect",          "synth",   "analysis",
                                      "mastering",   "spatializer",     "room fx", "surround fx",
                                      "restoration", "offline process", "shell",   "generator"};

struct FlagName {
  VstInt32 bit;
  const char* name;
};

const FlagName kFlagNames[] = {
    {effFlagsHasEditor, "HasEditor"},
    {effFlagsHasClip, "HasClip"},
    {effFlagsHasVu, "HasVu"},
    {effFlagsCanMono, "CanMono"},
    {effFlagsCanReplacing, "CanReplacing"},
    {effFlagsProgramChunks, "ProgramChunks"},
    {effFlagsIsSynth, "IsSynth"},
    {effFlagsNoSoundInStop, "NoSoundInStop"},
    {effFlagsExtIsAsync, "ExtIsAsync"},
    {effFlagsExtHasBuffer, "ExtHasBuffer"},
};

class TextQuery {
 public:
  explicit TextQuery(PluginSession& session) : session_(session) {}

  // Asks for a text with `opcode`; the answer is the opcode's result.
  std::string ask(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, VstIntPtr* answer = nullptr) {
    std::vector<char> buffer(kTextBufferSize, '\0');
    const VstIntPtr result = session_.dispatch(opcode, index, value, buffer.data());
    buffer.back() = '\0';
    if (answer != nullptr) *answer = result;
    return buffer.data();
  }

 private:
  PluginSession& session_;
};

// Program names through effGetProgramNameIndexed, or, for plug-ins that do not
// answer it, by selecting each program in turn and restoring the current one.
std::vector<std::string> programNames(PluginSession& session, TextQuery& query) {
  const int count = session.effect().numPrograms;
  std::vector<std::string> names;
  bool indexed = true;
  for (int program = 0; program < count && indexed; ++program) {
    VstIntPtr answered = 0;
    names.push_back(query.ask(effGetProgramNameIndexed, program, -1, &answered));
    indexed = answered != 0;
  }
  if (indexed) return names;
  names.clear();
  const VstIntPtr current = session.dispatch(effGetProgram);
  for (int program = 0; program < count; ++program) {
    session.dispatch(effSetProgram, 0, program);
    names.push_back(query.ask(effGetProgramName));
  }
  session.dispatch(effSetProgram, 0, current);
  return names;
}

}  // namespace

// Every program's values, the current program's read first, before any
// other is selected: a plug-in may keep a loaded program only until then.
std::vector<std::vector<float>> programValues(PluginSession& session) {
  const VstIntPtr current = session.dispatch(effGetProgram);
  std::vector<std::vector<float>> values(static_cast<size_t>(std::max(session.effect().numPrograms, 0)));
  const auto read = [&session]() {
    std::vector<float> program;
    for (VstInt32 index = 0; index < session.effect().numParams; ++index) program.push_back(session.parameter(index));
    return program;
  };
  if (current >= 0 && static_cast<size_t>(current) < values.size()) values[static_cast<size_t>(current)] = read();
  for (size_t program = 0; program < values.size(); ++program) {
    if (static_cast<VstIntPtr>(program) == current) continue;
    session.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(program));
    values[program] = read();
  }
  session.dispatch(effSetProgram, 0, current);
  return values;
}

PluginDescription describePlugin(PluginSession& session, bool withProgramValues) {
  TextQuery query(session);
  const AEffect& effect = session.effect();
  PluginDescription description;
  description.modulePath = session.modulePath();
  description.name = query.ask(effGetEffectName);
  description.vendor = query.ask(effGetVendorString);
  description.product = query.ask(effGetProductString);
  description.vendorVersion = session.dispatch(effGetVendorVersion);
  description.uniqueId = effect.uniqueID;
  description.version = effect.version;
  description.vstVersion = session.dispatch(effGetVstVersion);
  description.category = session.dispatch(effGetPlugCategory);
  description.inputs = effect.numInputs;
  description.outputs = effect.numOutputs;
  description.flags = effect.flags;
  description.initialDelay = effect.initialDelay;
  description.tailSize = session.dispatch(effGetTailSize);
  if (withProgramValues) description.programValues = programValues(session);
  description.programs = programNames(session, query);
  for (int index = 0; index < effect.numParams; ++index) {
    ParameterDescription parameter;
    parameter.name = query.ask(effGetParamName, index);
    parameter.label = query.ask(effGetParamLabel, index);
    parameter.display = query.ask(effGetParamDisplay, index);
    description.parameters.push_back(parameter);
  }
  for (const char* question : kCanDoQuestions) {
    std::vector<char> text(question, question + std::char_traits<char>::length(question) + 1);
    description.canDo.push_back({question, session.dispatch(effCanDo, 0, 0, text.data())});
  }
  for (int index = 0; index < effect.numOutputs; ++index) {
    VstPinProperties properties{};
    PinDescription pin;
    pin.described = session.dispatch(effGetOutputProperties, index, 0, &properties) != 0;
    if (pin.described) {
      properties.label[sizeof properties.label - 1] = '\0';
      pin.label = properties.label;
      pin.active = (properties.flags & kVstPinIsActive) != 0;
      pin.stereo = (properties.flags & kVstPinIsStereo) != 0;
    }
    description.outputPins.push_back(pin);
  }
  return description;
}

std::string fourCharacters(VstInt32 id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(id) >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}

std::vector<std::string> flagNames(VstInt32 flags) {
  std::vector<std::string> names;
  for (const FlagName& flag : kFlagNames) {
    if ((flags & flag.bit) != 0) names.push_back(flag.name);
  }
  return names;
}

VstInt32 unnamedFlags(VstInt32 flags) {
  for (const FlagName& flag : kFlagNames) flags &= ~flag.bit;
  return flags;
}

std::string categoryName(VstIntPtr category) {
  const VstIntPtr count = sizeof kCategoryNames / sizeof kCategoryNames[0];
  return category >= 0 && category < count ? kCategoryNames[category] : "?";
}
