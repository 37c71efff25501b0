#include "tools/commands/render_options.h"

#include "tools/commands/command_line.h"
#include "tools/commands/session_options.h"
#include "tools/system/tool_error.h"

const char* const kRenderUsage =
    "quorlin-host render [options] IN.mid OUT.wav, or quorlin-host render --batch LIST [--jobs N] [--log FILE] "
    "[--shard K/N] [--plugin PATH]";

const char* const kRenderHelp =
    "usage: quorlin-host render [options] IN.mid OUT.wav\n"
    "       quorlin-host render --batch LIST [--jobs N] [--log FILE] [--shard K/N]\n"
    "                           [--plugin PATH] [--quiet]\n"
    "Renders a Standard MIDI File (format 0 or 1) through a VST 2, LV2 or CLAP instrument\n"
    "into a WAV file, or each line of a batch list with the plug-in loaded once.\n"
    "\n"
    "  --plugin PATH     the VST 2 module, the LV2 plug-in's bundle folder or URI, or the CLAP\n"
    "                    plug-in's FILE.clap, FILE.clap#ID or id\n"
    "                    (default: the Quorlin module beside this program)\n"
    "  --rate HZ         sample rate, 1000 to 768000 (default 44100)\n"
    "  --block N         frames per processing block, 1 to 65536 (default 512)\n"
    "  --program P       program to select (default 0; VST 2)\n"
    "  --param I=V       set parameter I to V (0 to 1) before the program is applied again;\n"
    "                    for LV2, I is a control port's symbol or index, for CLAP a\n"
    "                    parameter's id or name, and V within its range (repeatable)\n"
    "  --preset FILE     load an .fxp program or .fxb bank first (VST 2), an LV2 preset's URI\n"
    "                    or bundle folder, or a CLAP .clapstate file or factory preset's name;\n"
    "                    --program and --param then change what it set\n"
    "  --save FILE       save the state rendered as FILE.fxp (the current program) or\n"
    "                    FILE.fxb (every program), as a chunk where the plug-in has chunks;\n"
    "                    for LV2, as the preset bundle NAME.preset.lv2; for CLAP, as\n"
    "                    NAME.clapstate\n"
    "  --tail SECONDS    silence rendered after the last event, 0 to 3600 (default 1.0); or\n"
    "  --tail auto       until the output has stayed below -120 dBFS for 0.1 s, at most 30 s\n"
    "  --format F        f32 (IEEE float), s16 or s24 (clipped at full scale); default f32\n"
    "  --batch LIST      render every line of LIST (- for standard input), each as soon as it is\n"
    "                    read: IN.mid OUT.wav and any of --rate, --block, --program, --param,\n"
    "                    --preset, --save, --tail, --format; \"quoted\" words may hold spaces;\n"
    "                    blank lines and lines starting with # are skipped\n"
    "  --jobs N          songs of a batch rendered at once, 1 to 64 (default: one per core)\n"
    "  --log FILE        write a new FILE (- for standard output, which then holds the log\n"
    "                    alone) with one JSON object a line for each line of the list, as it\n"
    "                    is finished: line, status (done or failed), input, output, frames,\n"
    "                    audioSeconds, peakDbfs, samplesOverFullScale, renderSeconds, reason\n"
    "  --shard K/N       render only the lines whose number modulo N is K (0 to N-1); lines\n"
    "                    count from 1 with blank and comment lines, so N processes given\n"
    "                    0/N ... N-1/N split one list between them\n"
    "  --quiet           no progress bar and no summary lines\n"
    "  --help            this text\n"
    "\n"
    "OUT is written under a temporary name beside it and renamed when complete, so an\n"
    "existing OUT stays as it was until then. OUT may not be a folder or a file read.\n"
    "\n"
    "Exit status: 0 done, 1 the WAV or preset file or the log could not be written, 2 bad\n"
    "usage, a bad MIDI file or preset, or an output or log refused, 3 the plug-in could not be\n"
    "loaded or started, 4 some lines of a batch failed, 130 interrupted (no unfinished file is\n"
    "left).\n";

namespace {

const char* const kBatchLineUsage =
    "IN.mid OUT.wav [--rate HZ] [--block N] [--program P] [--param I=V]... [--preset FILE] "
    "[--save FILE] [--tail SECONDS|auto] [--format F]";

constexpr int64_t kMaxJobs = 64;
constexpr int64_t kMaxShards = 1000000;

// The options a batch list may give for each song.
const std::vector<OptionDefinition> kSongOptions = {
    {"--rate", true},   {"--block", true}, {"--program", true}, {"--param", true},
    {"--preset", true}, {"--save", true},  {"--tail", true},    {"--format", true},
};

const std::vector<OptionDefinition> kCommandOptions = {
    {"--plugin", true}, {"--batch", true}, {"--jobs", true},  {"--log", true},
    {"--shard", true},  {"--quiet", false}, {"--help", false},
};

std::vector<OptionDefinition> allRenderOptions() {
  std::vector<OptionDefinition> all = kCommandOptions;
  all.insert(all.end(), kSongOptions.begin(), kSongOptions.end());
  return all;
}

SampleFormat parseFormat(const std::string& text, const std::string& usage) {
  if (text == "f32") return SampleFormat::Float32;
  if (text == "s16") return SampleFormat::Int16;
  if (text == "s24") return SampleFormat::Int24;
  throw usageError("--format needs f32, s16 or s24, not '" + text + "'", usage);
}

// "K/N": shard K of N.
BatchShard parseShard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) throw usageError("--shard needs K/N, such as 0/4, not '" + text + "'", kRenderUsage);
  BatchShard shard;
  shard.count = parseWholeNumber("--shard's N", text.substr(slash + 1), 1, kMaxShards, kRenderUsage);
  shard.index = parseWholeNumber("--shard's K", text.substr(0, slash), 0, shard.count - 1, kRenderUsage);
  return shard;
}

TailLength parseTail(const std::string& text, const std::string& usage) {
  TailLength tail;
  tail.untilQuiet = text == "auto";
  if (!tail.untilQuiet) tail.nanoseconds = parseNanoseconds("--tail", text, kMaxTailSeconds, usage);
  return tail;
}

// Applies one of kSongOptions.
void applySongOption(SongSettings& song, const std::string& name, const std::string& value, const std::string& usage) {
  if (applySessionOption(song.session, name, value, usage)) return;
  if (name == "--rate") {
    song.session.sampleRate =
        static_cast<int32_t>(parseWholeNumber(name, value, kMinSampleRate, kMaxSampleRate, usage));
  } else if (name == "--block") {
    song.session.blockSize = static_cast<int32_t>(parseWholeNumber(name, value, 1, kMaxBlockSize, usage));
  } else if (name == "--save") {
    song.savePath = parsePresetSavePath(name, value, usage);
  } else if (name == "--tail") {
    song.tail = parseTail(value, usage);
  } else if (name == "--format") {
    song.format = parseFormat(value, usage);
  }
}

bool isSongOption(const std::string& name) {
  for (const OptionDefinition& option : kSongOptions) {
    if (name == option.name) return true;
  }
  return false;
}

void takeFiles(SongSettings& song, const std::vector<std::string>& operands, const std::string& usage) {
  if (operands.size() != 2) {
    throw usageError(operands.size() < 2 ? "missing IN.mid or OUT.wav" : "too many files named", usage);
  }
  song.inputPath = operands[0];
  song.outputPath = operands[1];
}

}  // namespace

RenderOptions parseRenderOptions(const std::vector<std::string>& args) {
  const ParsedArguments parsed = parseArguments(args, allRenderOptions(), kRenderUsage);
  RenderOptions options;
  std::string batchOptionGiven;  // one that needs --batch
  std::string songOptionGiven;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--help") {
      options.help = true;
    } else if (name == "--quiet") {
      options.quiet = true;
    } else if (name == "--plugin") {
      options.pluginName = value;
    } else if (name == "--batch") {
      options.batchListPath = value;
    } else if (name == "--jobs") {
      options.jobs = static_cast<int>(parseWholeNumber(name, value, 1, kMaxJobs, kRenderUsage));
      batchOptionGiven = name;
    } else if (name == "--log") {
      options.logPath = value;
      batchOptionGiven = name;
    } else if (name == "--shard") {
      options.shard = parseShard(value);
      batchOptionGiven = name;
    } else if (isSongOption(name)) {
      applySongOption(options.song, name, value, kRenderUsage);
      songOptionGiven = name;
    }
  }
  if (options.help) return options;
  if (options.batchListPath.empty()) {
    if (!batchOptionGiven.empty()) throw usageError(batchOptionGiven + " needs --batch", kRenderUsage);
    takeFiles(options.song, parsed.operands, kRenderUsage);
    return options;
  }
  if (!songOptionGiven.empty()) {
    throw usageError(songOptionGiven + " goes on the lines of the batch list, not beside --batch", kRenderUsage);
  }
  if (!parsed.operands.empty()) {
    throw usageError("unexpected argument '" + parsed.operands[0] + "' beside --batch", kRenderUsage);
  }
  return options;
}

SongSettings parseBatchLine(const std::vector<std::string>& words) {
  const ParsedArguments parsed = parseArguments(words, kSongOptions, kBatchLineUsage);
  SongSettings song;
  for (const auto& [name, value] : parsed.options) applySongOption(song, name, value, kBatchLineUsage);
  takeFiles(song, parsed.operands, kBatchLineUsage);
  return song;
}
