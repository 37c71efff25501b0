// `quorlin-host editor`: opens a plug-in's editor in a window of the host's
// own, as a desktop host would, and keeps it alive until the window is
// closed; or, with --screenshot, saves a picture of it and ends. With
// --print-parameters it then tells what the editor was used to dial in.
#include <chrono>
#include <cstdio>
#include <thread>

#include "tools/commands/command_line.h"
#include "tools/commands/session_options.h"
#include "tools/files/preset_file.h"
#include "tools/hosting/host_window.h"
#include "tools/hosting/module_library.h"
#include "tools/hosting/plugin_session.h"
#include "tools/commands/subcommands.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kEditorUsage =
    "quorlin-host editor [--plugin PATH] [--preset FILE] [--program P] [--param I=V]... [--screenshot FILE.png] "
    "[--after MS] [--print-parameters] [--save FILE]";

const char* const kEditorHelp =
    "usage: quorlin-host editor [options]\n"
    "Opens a VST 2 plug-in's editor in a window and runs it until the window is closed.\n"
    "\n"
    "  --plugin PATH        the VST 2 module (default: the Quorlin module beside this program)\n"
    "  --program P          program to select (default 0)\n"
    "  --preset FILE        load an .fxp program or .fxb bank first; --program and --param\n"
    "                       then change what it set\n"
    "  --param I=V          set parameter I to V (0 to 1) before the program is applied again\n"
    "                       (repeatable)\n"
    "  --screenshot FILE    save a PNG picture of the window and end instead of waiting\n"
    "  --after MS           milliseconds to let the editor draw before the picture, 0 to 600000\n"
    "                       (default 500)\n"
    "  --print-parameters   when the window closes (or the picture is saved), print each\n"
    "                       parameter of the current program as a line \"INDEX VALUE\"\n"
    "                       to standard output\n"
    "  --save FILE          when the window closes (or the picture is saved), save what was\n"
    "                       dialled in as FILE.fxp (the current program) or FILE.fxb (every\n"
    "                       program), as a chunk where the plug-in has chunks\n"
    "  --help               this text\n"
    "\n"
    "Exit status: 0 done, 1 the picture or preset could not be written, 2 bad usage, preset,\n"
    "no display or a folder that takes no new file, 3 the module could not be loaded or has\n"
    "no editor.\n";

constexpr int64_t kMaxAfterMilliseconds = 600000;
// Hosts give editors their idle call about thirty times a second.
constexpr std::chrono::milliseconds kIdlePeriod(33);

const std::vector<OptionDefinition> kEditorOptions = {
    {"--plugin", true}, {"--program", true}, {"--param", true},
    {"--screenshot", true}, {"--after", true}, {"--print-parameters", false}, {"--help", false},
    {"--preset", true}, {"--save", true},
};

struct EditorOptions {
  bool help = false;
  std::string modulePath;  // the default module when empty
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
      options.modulePath = value;
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

// The editor stays open while this lives; the host closes it before its window goes.
class OpenEditor {
 public:
  OpenEditor(PluginSession& session, void* parent) : session(session) { session.dispatch(effEditOpen, 0, 0, parent); }
  ~OpenEditor() { session.dispatch(effEditClose); }
  OpenEditor(const OpenEditor&) = delete;
  OpenEditor& operator=(const OpenEditor&) = delete;

 private:
  PluginSession& session;
};

// Nine significant digits tell every float apart, so the printed value reads
// back as exactly the one the plug-in holds.
void printParameters(PluginSession& session) {
  for (VstInt32 index = 0; index < session.effect().numParams; ++index) {
    std::printf("%d %.9g\n", static_cast<int>(index), static_cast<double>(session.parameter(index)));
  }
  std::fflush(stdout);
}

// Opens the editor in a window of its own and runs it until the window is
// closed or, with a screenshot asked for, the picture is saved.
void runEditorWindow(PluginSession& session, const EditorOptions& options) {
  ERect* rect = nullptr;
  session.dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) {
    throw ToolError(kExitBadModule, session.modulePath() + ": the plug-in's editor gives no size");
  }
  HostWindow window("quorlin-host editor: " + session.modulePath(), rect->right - rect->left, rect->bottom - rect->top);
  OpenEditor editor(session, window.parentHandle());

  const auto opened = std::chrono::steady_clock::now();
  const std::chrono::milliseconds after(options.afterMilliseconds);
  while (window.handleEvents()) {
    session.dispatch(effEditIdle);
    if (!options.screenshotPath.empty() && std::chrono::steady_clock::now() - opened >= after) {
      writePngFile(options.screenshotPath, window.capture());
      return;
    }
    std::this_thread::sleep_for(kIdlePeriod);
  }
}

}  // namespace

int editorCommand(const Arguments& args) {
  const EditorOptions options = parseEditorOptions(args);
  if (options.help) {
    std::fputs(kEditorHelp, stdout);
    return kExitSuccess;
  }

  const ModuleLibrary module(options.modulePath.empty() ? defaultModulePath() : options.modulePath);
  PluginSession session(module);
  session.configure(options.session);  // as render does: the editor shows the values set here
  if ((session.effect().flags & effFlagsHasEditor) == 0) {
    throw ToolError(kExitBadModule, module.path() + ": the plug-in has no editor");
  }
  session.start();
  runEditorWindow(session, options);
  if (options.printParameters) printParameters(session);
  if (!options.savePath.empty()) {
    writePresetFile(options.savePath, session.savePreset(*presetKindForFileName(options.savePath), options.savePath));
  }
  return kExitSuccess;
}
