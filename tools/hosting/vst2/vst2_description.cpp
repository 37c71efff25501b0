#include "tools/hosting/vst2/vst2_description.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/hosting/vst2/vst2_instrument.h"

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
  explicit TextQuery(Vst2Instrument& instrument) : instrument_(instrument) {}

  // Asks for a text with `opcode`; the answer is the opcode's result.
  std::string ask(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, VstIntPtr* answer = nullptr) {
    std::vector<char> buffer(kTextBufferSize, '\0');
    const VstIntPtr result = instrument_.dispatch(opcode, index, value, buffer.data());
    buffer.back() = '\0';
    if (answer != nullptr) *answer = result;
    return buffer.data();
  }

 private:
  Vst2Instrument& instrument_;
};

// Program names through effGetProgramNameIndexed, or, for plug-ins that do not
// answer it, by selecting each program in turn and restoring the current one.
std::vector<std::string> programNames(Vst2Instrument& instrument, TextQuery& query) {
  const int count = instrument.effect().numPrograms;
  std::vector<std::string> names;
  bool indexed = true;
  for (int program = 0; program < count && indexed; ++program) {
    VstIntPtr answered = 0;
    names.push_back(query.ask(effGetProgramNameIndexed, program, -1, &answered));
    indexed = answered != 0;
  }
  if (indexed) return names;
  names.clear();
  const VstIntPtr current = instrument.dispatch(effGetProgram);
  for (int program = 0; program < count; ++program) {
    instrument.dispatch(effSetProgram, 0, program);
    names.push_back(query.ask(effGetProgramName));
  }
  instrument.dispatch(effSetProgram, 0, current);
  return names;
}

// Every program's values, the current program's read first, before any
// other is selected: a plug-in may keep a loaded program only until then.
std::vector<std::vector<float>> programValues(Vst2Instrument& instrument) {
  const VstIntPtr current = instrument.dispatch(effGetProgram);
  std::vector<std::vector<float>> values(static_cast<size_t>(std::max(instrument.effect().numPrograms, 0)));
  const auto read = [&instrument]() {
    std::vector<float> program;
    for (VstInt32 index = 0; index < instrument.effect().numParams; ++index) program.push_back(instrument.parameter(index));
    return program;
  };
  if (current >= 0 && static_cast<size_t>(current) < values.size()) values[static_cast<size_t>(current)] = read();
  for (size_t program = 0; program < values.size(); ++program) {
    if (static_cast<VstIntPtr>(program) == current) continue;
    instrument.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(program));
    values[program] = read();
  }
  instrument.dispatch(effSetProgram, 0, current);
  return values;
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

}  // namespace

Vst2Description describeVst2(Vst2Instrument& instrument, bool withProgramValues) {
  TextQuery query(instrument);
  const AEffect& effect = instrument.effect();
  Vst2Description description;
  description.modulePath = instrument.modulePath();
  description.name = query.ask(effGetEffectName);
  description.vendor = query.ask(effGetVendorString);
  description.product = query.ask(effGetProductString);
  description.vendorVersion = instrument.dispatch(effGetVendorVersion);
  description.uniqueId = effect.uniqueID;
  description.uniqueIdText = fourCharacters(effect.uniqueID);
  description.version = effect.version;
  description.vstVersion = instrument.dispatch(effGetVstVersion);
  description.category = instrument.dispatch(effGetPlugCategory);
  description.categoryName = categoryName(description.category);
  description.inputs = effect.numInputs;
  description.outputs = effect.numOutputs;
  description.flags = flagNames(effect.flags);
  description.unnamedFlags = unnamedFlags(effect.flags);
  description.initialDelay = effect.initialDelay;
  description.tailSize = instrument.dispatch(effGetTailSize);
  if (withProgramValues) description.programValues = programValues(instrument);
  description.programs = programNames(instrument, query);
  for (int index = 0; index < effect.numParams; ++index) {
    Vst2Parameter parameter;
    parameter.name = query.ask(effGetParamName, index);
    parameter.label = query.ask(effGetParamLabel, index);
    parameter.display = query.ask(effGetParamDisplay, index);
    description.parameters.push_back(parameter);
  }
  for (const char* question : kCanDoQuestions) {
    std::vector<char> text(question, question + std::char_traits<char>::length(question) + 1);
    description.canDo.push_back({question, instrument.dispatch(effCanDo, 0, 0, text.data())});
  }
  for (int index = 0; index < effect.numOutputs; ++index) {
    VstPinProperties properties{};
    Vst2Pin pin;
    pin.described = instrument.dispatch(effGetOutputProperties, index, 0, &properties) != 0;
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

std::string fourCharacters(int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(id) >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}
