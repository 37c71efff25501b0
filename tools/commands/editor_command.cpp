// `quorlin-host editor`: opens a plug-in's editor in a window of the host's
// own, as a desktop host would, and keeps it alive until the window is
// closed; or, with --screenshot, saves a picture of it and ends. With
// --print-parameters it then tells what the editor was used to dial in.
#include <chrono>
#include <cstdio>
#include <thread>

#include "tools/commands/command_line.h"
#include "tools/commands/editor_window.h"
#include "tools/files/json_text.h"
#include "tools/commands/session_options.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/commands/subcommands.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kEditorUsage =
    "quorlin-host editor [--plugin PATH] [--preset FILE] [--program P] [--param I=V]... [--screenshot FILE.png] "
    "[--after MS] [--print-parameters] [--save FILE]";

const char* const kEditorHelp =
    "usage: quorlin-host editor [options]\n"
    "Opens a plug-in's editor in a window and runs it until the window is closed: a VST 2\n"
    "plug-in's editor, an LV2 plug-in's X11 UI, or a CLAP plug-in's embedded GUI.\n"
    "\n"
    "  --plugin PATH        the VST 2 module, the LV2 plug-in's bundle folder or URI, or the\n"
    "                       CLAP plug-in's FILE.clap, FILE.clap#ID or id\n"
    "                       (default: the Quorlin module beside this program)\n"
    "  --program P          program to select (default 0)\n"
    "  --preset FILE        load an .fxp program or .fxb bank first (VST 2), an LV2 preset's\n"
    "                       URI or bundle folder, or a CLAP .clapstate file or factory preset's\n"
    "                       name; --program and --param then change what it set\n"
    "  --param I=V          set parameter I to V (VST 2: 0 to 1) before the program is applied\n"
    "                       again; for LV2, I is a control port's symbol or index, for CLAP a\n"
    "                       parameter's id or name (repeatable)\n"
    "  --screenshot FILE    save a PNG picture of the window and end instead of waiting\n"
    "  --after MS           milliseconds to let the editor draw before the picture, 0 to 600000\n"
    "                       (default 500)\n"
    "  --print-parameters   when the window closes (or the picture is saved), print each\n"
    "                       parameter of the current program as a line \"INDEX VALUE\" (LV2:\n"
    "                       each control input as \"SYMBOL VALUE\"; CLAP: \"ID VALUE\")\n"
    "                       to standard output\n"
    "  --save FILE          when the window closes (or the picture is saved), save what was\n"
    "                       dialled in as FILE.fxp (the current program) or FILE.fxb (every\n"
    "                       program), as a chunk where the plug-in has chunks; for LV2, as the\n"
    "                       preset bundle NAME.preset.lv2; for CLAP, as NAME.clapstate\n"
    "  --help               this text\n"
    "\n"
    "Exit status: 0 done, 1 the picture or preset could not be written, 2 bad usage, preset,\n"
    "no display or a folder that takes no new file, 3 the plug-in could not be loaded or has\n"
    "no editor.\n";

constexpr int64_t kMaxAfterMilliseconds = 600000;

const std::vector<OptionDefinition> kEditorOptions = {
    {"--plugin", true}, {"--program", true}, {"--param", true},
    {"--screenshot", true}, {"--after", true}, {"--print-parameters", false}, {"--help", false},
    {"--preset", true}, {"--save", true},
};

struct EditorOptions {
  bool help = false;
  std::string pluginName;  // the default plug-in when empty
  SessionSettings session;
  std::string screenshotPath;  // none when empty
  int64_t afterMilliseconds = 500;
  bool printParameters = false;
  std::string savePath;  // none when empty
};

EditorOptions parseEditorOptions(const Arguments& args) {
  const ParsedArguments parsed = parseArguments(args, kEditorOptions, kEditorUsage);
  if (!parsed.operands.empty()) throw usageError("unexpected '" + parsed.operands[0] + "'", kEditorUsage);
  EditorOptions options;
  for (const auto& [name, value] : parsed.options) {
    if (applySessionOption(options.session, name, value, kEditorUsage)) continue;
    if (name == "--help") {
      options.help = true;
    } else if (name == "--plugin") {
      options.pluginName = value;
    } else if (name == "--screenshot") {
      if (value.empty()) throw usageError("--screenshot needs a file name", kEditorUsage);
      options.screenshotPath = value;
    } else if (name == "--after") {
      options.afterMilliseconds = parseWholeNumber(name, value, 0, kMaxAfterMilliseconds, kEditorUsage);
    } else if (name == "--print-parameters") {
      options.printParameters = true;
    } else if (name == "--save") {
      options.savePath = parsePresetSavePath(name, value, kEditorUsage);
    }
  }
  return options;
}

void printParameters(Instrument& instrument) {
  for (const auto& [key, value] : instrument.parameterValues()) {
    std::printf("%s %s\n", key.c_str(), exactNumber(value).c_str());
  }
  std::fflush(stdout);
}

// Opens the editor in a window of its own and runs it until the window is
// closed or, with a screenshot asked for, the picture is saved. Meanwhile the
// plug-in renders a block of silence at every idle, as in a host whose
// transport stands still, so that what the plug-in reports (an LV2 UI's
// meters, say) moves as it would there.
void runEditorWindow(Instrument& instrument, const std::string& pluginName, const EditorOptions& options) {
  EditorWindow window(instrument, "quorlin-host editor: " + pluginName);
  const auto opened = std::chrono::steady_clock::now();
  const std::chrono::milliseconds after(options.afterMilliseconds);
  while (window.idle()) {
    instrument.process(options.session.blockSize);
    if (!options.screenshotPath.empty() && std::chrono::steady_clock::now() - opened >= after) {
      writePngFile(options.screenshotPath, window.capture());
      return;
    }
    std::this_thread::sleep_for(EditorWindow::kIdlePeriod);
  }
}

}  // namespace

int editorCommand(const Arguments& args) {
  const EditorOptions options = parseEditorOptions(args);
  if (options.help) {
    std::fputs(kEditorHelp, stdout);
    return kExitSuccess;
  }

  const std::string pluginName = options.pluginName.empty() ? defaultPluginName() : options.pluginName;
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  const std::unique_ptr<Instrument> instrument = plugin->instantiate();
  instrument->configure(options.session);  // as render does: the editor shows the values set here
  instrument->editorSize();                // refuses a plug-in without an editor before a window opens
  instrument->start();
  runEditorWindow(*instrument, pluginName, options);
  if (options.printParameters) printParameters(*instrument);
  if (!options.savePath.empty()) instrument->saveState(options.savePath)->write();
  return kExitSuccess;
}
