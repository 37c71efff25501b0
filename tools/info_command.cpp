#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/module_library.h"
#include "tools/plugin_session.h"
#include "tools/subcommands.h"
#include "tools/tool_error.h"

namespace {

const char* const kInfoUsage = "quorlin-host info [--plugin PATH] [--preset FILE]";

const char* const kInfoHelp =
    "usage: quorlin-host info [--plugin PATH] [--preset FILE]\n"
    "Describes a VST 2 module: identity, flags, programs, parameters and capabilities.\n"
    "\n"
    "  --plugin PATH     the VST 2 module (default: the Quorlin module beside this program)\n"
    "  --preset FILE     load an .fxp program or .fxb bank first, and show every program's\n"
    "                    parameter values after it\n"
    "  --help            this text\n";

// Rate and block size the plug-in is told before it is asked anything.
constexpr int32_t kInfoSampleRate = 44100;
constexpr int32_t kInfoBlockSize = 512;

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

// A plug-in's text as one printable line: quoted, or (empty).
std::string shown(const char* text) {
  std::string line;
  for (const char* c = text; *c != '\0'; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    line += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
  }
  return line.empty() ? "(empty)" : "\"" + line + "\"";
}

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

std::string fourCharacters(VstInt32 id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(id) >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}

std::string flagNames(VstInt32 flags) {
  std::string names;
  VstInt32 known = 0;
  for (const FlagName& flag : kFlagNames) {
    known |= flag.bit;
    if ((flags & flag.bit) != 0) names += std::string(names.empty() ? "" : " ") + flag.name;
  }
  if ((flags & ~known) != 0) {
    char rest[32];
    std::snprintf(rest, sizeof rest, "%s0x%X", names.empty() ? "" : " ", static_cast<unsigned>(flags & ~known));
    names += rest;
  }
  return names.empty() ? "(none)" : names;
}

std::string categoryName(VstIntPtr category) {
  const VstIntPtr count = sizeof kCategoryNames / sizeof kCategoryNames[0];
  return std::to_string(category) + " (" + (category >= 0 && category < count ? kCategoryNames[category] : "?") + ")";
}

std::string canDoAnswer(VstIntPtr answer) {
  if (answer > 0) return "yes";
  if (answer < 0) return "no";
  return "don't know";
}

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

// Every program's values, the current program's read first, before any
// other is selected: a plug-in may keep a loaded program only until then.
std::vector<std::string> programValues(PluginSession& session) {
  const VstIntPtr current = session.dispatch(effGetProgram);
  std::vector<std::string> values(static_cast<size_t>(std::max(session.effect().numPrograms, 0)));
  const auto read = [&]() {
    std::string line;
    for (VstInt32 index = 0; index < session.effect().numParams; ++index) {
      char value[32];
      std::snprintf(value, sizeof value, " %.9g", static_cast<double>(session.parameter(index)));
      line += value;
    }
    return line;
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

void printDescription(PluginSession& session, bool withValues) {
  TextQuery query(session);
  const AEffect& effect = session.effect();
  std::printf("module          %s\n", session.modulePath().c_str());
  std::printf("name            %s\n", shown(query.ask(effGetEffectName).c_str()).c_str());
  std::printf("vendor          %s\n", shown(query.ask(effGetVendorString).c_str()).c_str());
  std::printf("product         %s\n", shown(query.ask(effGetProductString).c_str()).c_str());
  std::printf("vendor version  %lld\n", static_cast<long long>(session.dispatch(effGetVendorVersion)));
  std::printf("unique ID       '%s' (0x%08X)\n", fourCharacters(effect.uniqueID).c_str(),
              static_cast<unsigned>(effect.uniqueID));
  std::printf("version         %d\n", effect.version);
  std::printf("VST version     %lld\n", static_cast<long long>(session.dispatch(effGetVstVersion)));
  std::printf("category        %s\n", categoryName(session.dispatch(effGetPlugCategory)).c_str());
  std::printf("inputs          %d\n", effect.numInputs);
  std::printf("outputs         %d\n", effect.numOutputs);
  std::printf("flags           %s\n", flagNames(effect.flags).c_str());
  std::printf("initial delay   %d frames\n", effect.initialDelay);
  std::printf("tail size       %lld frames\n", static_cast<long long>(session.dispatch(effGetTailSize)));

  const std::vector<std::string> values = withValues ? programValues(session) : std::vector<std::string>();
  const std::vector<std::string> programs = programNames(session, query);
  std::printf("programs        %d\n", effect.numPrograms);
  for (size_t program = 0; program < programs.size(); ++program) {
    std::printf("  %3zu  %s%s%s\n", program, shown(programs[program].c_str()).c_str(), withValues ? "  values" : "",
                program < values.size() ? values[program].c_str() : "");
  }

  std::printf("parameters      %d\n", effect.numParams);
  for (int index = 0; index < effect.numParams; ++index) {
    std::printf("  %3d  name %s  label %s  display %s\n", index,
                shown(query.ask(effGetParamName, index).c_str()).c_str(),
                shown(query.ask(effGetParamLabel, index).c_str()).c_str(),
                shown(query.ask(effGetParamDisplay, index).c_str()).c_str());
  }

  std::printf("can do\n");
  for (const char* question : kCanDoQuestions) {
    std::vector<char> text(question, question + std::char_traits<char>::length(question) + 1);
    std::printf("  %-30s %s\n", question, canDoAnswer(session.dispatch(effCanDo, 0, 0, text.data())).c_str());
  }

  std::printf("output pins\n");
  for (int pin = 0; pin < effect.numOutputs; ++pin) {
    VstPinProperties properties{};
    if (session.dispatch(effGetOutputProperties, pin, 0, &properties) == 0) {
      std::printf("  %3d  (not described)\n", pin);
      continue;
    }
    properties.label[sizeof properties.label - 1] = '\0';
    std::printf("  %3d  %s%s%s\n", pin, shown(properties.label).c_str(),
                (properties.flags & kVstPinIsActive) != 0 ? " active" : "",
                (properties.flags & kVstPinIsStereo) != 0 ? " stereo" : "");
  }
}

}  // namespace

int infoCommand(const Arguments& args) {
  const ParsedArguments parsed =
      parseArguments(args, {{"--plugin", true}, {"--preset", true}, {"--help", false}}, kInfoUsage);
  std::string modulePath = defaultModulePath();
  SessionSettings settings;
  settings.sampleRate = kInfoSampleRate;
  settings.blockSize = kInfoBlockSize;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--help") {
      std::fputs(kInfoHelp, stdout);
      return kExitSuccess;
    }
    if (name == "--plugin") {
      modulePath = value;
    } else {
      settings.presetPath = value;
    }
  }
  if (!parsed.operands.empty()) throw usageError("unexpected argument '" + parsed.operands[0] + "'", kInfoUsage);

  const ModuleLibrary module(modulePath);
  PluginSession session(module);
  const bool withPreset = !settings.presetPath.empty();
  if (withPreset) {
    session.configure(settings);
  } else {
    session.setTiming(kInfoSampleRate, kInfoBlockSize);
  }
  printDescription(session, withPreset);
  return kExitSuccess;
}
