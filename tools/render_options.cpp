#include "tools/render_options.h"

#include "tools/command_line.h"
#include "tools/tool_error.h"

const char* const kRenderUsage = "quorlin-host render [options] IN.mid OUT.wav";

const char* const kRenderHelp =
    "usage: quorlin-host render [options] IN.mid OUT.wav\n"
    "Renders a Standard MIDI File (format 0 or 1) through a VST 2 instrument into a WAV file.\n"
    "\n"
    "  --plugin PATH     the VST 2 module (default: the Quorlin module beside this program)\n"
    "  --rate HZ         sample rate, 1000 to 768000 (default 44100)\n"
    "  --block N         frames per processing block, 1 to 65536 (default 512)\n"
    "  --program P       program to select (default 0)\n"
    "  --param I=V       set parameter I to V before the program is applied again (repeatable)\n"
    "  --preset FILE     load an .fxp program or .fxb bank first; --program and --param then\n"
    "                    change what it set\n"
    "  --save FILE       save the state rendered as FILE.fxp (the current program) or\n"
    "                    FILE.fxb (every program), as a chunk where the plug-in has chunks\n"
    "  --tail SECONDS    silence rendered after the last event, 0 to 3600 (default 1.0)\n"
    "  --format F        f32 (IEEE float), s16 or s24 (clipped at full scale); default f32\n"
    "  --quiet           no progress bar and no summary line\n"
    "  --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the WAV or preset file could not be written, 2 bad usage, MIDI file\n"
    "or preset, 3 the module could not be loaded or started, 130 interrupted (no file is written).\n";

namespace {

constexpr int64_t kMinRate = 1000;
constexpr int64_t kMaxRate = 768000;
constexpr int64_t kMaxBlock = 65536;
constexpr int64_t kMaxTailSeconds = 3600;
constexpr int64_t kMaxIndex = 0x7FFFFFFF;

const std::vector<OptionDefinition> kRenderOptions = {
    {"--plugin", true}, {"--rate", true},   {"--block", true},  {"--program", true}, {"--param", true},
    {"--tail", true},   {"--format", true}, {"--quiet", false}, {"--help", false},
    {"--preset", true}, {"--save", true},
};

SampleFormat parseFormat(const std::string& text) {
  if (text == "f32") return SampleFormat::Float32;
  if (text == "s16") return SampleFormat::Int16;
  if (text == "s24") return SampleFormat::Int24;
  throw usageError("--format needs f32, s16 or s24, not '" + text + "'", kRenderUsage);
}

}  // namespace

RenderOptions parseRenderOptions(const std::vector<std::string>& args) {
  const ParsedArguments parsed = parseArguments(args, kRenderOptions, kRenderUsage);
  RenderOptions options;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--help") {
      options.help = true;
    } else if (name == "--quiet") {
      options.quiet = true;
    } else if (name == "--plugin") {
      options.modulePath = value;
    } else if (name == "--rate") {
      options.session.sampleRate =
          static_cast<int32_t>(parseWholeNumber(name, value, kMinRate, kMaxRate, kRenderUsage));
    } else if (name == "--block") {
      options.session.blockSize = static_cast<int32_t>(parseWholeNumber(name, value, 1, kMaxBlock, kRenderUsage));
    } else if (name == "--program") {
      options.session.program = static_cast<int32_t>(parseWholeNumber(name, value, 0, kMaxIndex, kRenderUsage));
    } else if (name == "--param") {
      const auto [index, setting] = parseIndexedValue(name, value, kRenderUsage);
      options.session.parameters.push_back({index, setting});
    } else if (name == "--tail") {
      options.tailNanoseconds = parseNanoseconds(name, value, kMaxTailSeconds, kRenderUsage);
    } else if (name == "--format") {
      options.format = parseFormat(value);
    } else if (name == "--preset") {
      options.session.presetPath = value;
    } else if (name == "--save") {
      options.savePath = parsePresetSavePath(name, value, kRenderUsage);
    }
  }
  if (options.help) return options;
  if (parsed.operands.size() != 2) {
    throw usageError(parsed.operands.size() < 2 ? "missing IN.mid or OUT.wav" : "too many files named", kRenderUsage);
  }
  options.inputPath = parsed.operands[0];
  options.outputPath = parsed.operands[1];
  return options;
}
