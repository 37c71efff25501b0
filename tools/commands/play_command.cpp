// `quorlin-host play`: an instrument played live through JACK (or PipeWire's
// JACK) until Ctrl-C, SIGTERM or the editor's window ends it, or the server
// goes away. The main thread sets everything up, then idles the editor,
// follows the server's changes and shows the status; the audio is the
// player's (tools/audio/live_player.h).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "tools/audio/autoconnect.h"
#include "tools/audio/jack_client.h"
#include "tools/audio/jack_library.h"
#include "tools/audio/live_player.h"
#include "tools/commands/editor_window.h"
#include "tools/commands/interrupt.h"
#include "tools/commands/live_status.h"
#include "tools/commands/play_options.h"
#include "tools/commands/subcommands.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

void printLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
  std::fflush(stdout);
}

// The editor when there is a display to show it on; a plug-in without one,
// or a display that will not open a window, plays on without it.
std::unique_ptr<EditorWindow> openEditor(Instrument& instrument, const PlayOptions& options, const std::string& title) {
  const char* display = std::getenv("DISPLAY");
  if (!options.editor || display == nullptr || *display == '\0') return nullptr;
  try {
    return std::make_unique<EditorWindow>(instrument, title);
  } catch (const ToolError& error) {
    std::fprintf(stderr, "quorlin-host: playing without the editor: %s\n", error.what());
    return nullptr;
  }
}

// Runs until a stop request or the editor's window closing, serving the
// instrument's main-thread work meanwhile; throws ToolError
// (kExitNoAudio) when the server goes away.
void playUntilStopped(JackClient& client, LivePlayer& player, Instrument& instrument, const PlayedPorts& ports,
                      const PlayOptions& options, std::unique_ptr<EditorWindow>& editor) {
  LiveStatus status(standardErrorIsTerminal());
  while (!interruptRequested() && (!editor || editor->idle())) {
    instrument.serveMainThread();
    if (player.serverGone()) {
      status.clear();
      editor.reset();
      throw ToolError(kExitNoAudio, "the JACK server went away");
    }
    if (player.followServerTiming()) {
      status.clear();
      std::printf("  the server now runs at %d Hz, %d frames a period\n", player.sampleRate(), player.periodFrames());
      std::fflush(stdout);
    }
    if (player.takeNewPorts()) {
      const std::vector<std::string> lines = connectNewMidiSources(client, ports, options.connections);
      if (!lines.empty()) status.clear();
      printLines(lines);
    }
    status.update({player.heldNotes(), player.xruns(), player.droppedEvents(), client.dspLoad()});
    std::this_thread::sleep_for(EditorWindow::kIdlePeriod);
  }
}

}  // namespace

int playCommand(const Arguments& args) {
  const PlayOptions options = parsePlayOptions(args);
  if (options.help) {
    std::fputs(kPlayHelp, stdout);
    return kExitSuccess;
  }
  JackClient client(jackLibrary(), options.clientName, options.serverName);
  catchInterrupts();
  const std::string pluginName = options.pluginName.empty() ? defaultPluginName() : options.pluginName;
  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  const std::unique_ptr<Instrument> instrument = plugin->instantiate();
  SessionSettings session = options.session;
  session.sampleRate = client.sampleRate();
  session.blockSize = client.periodFrames();
  instrument->configure(session);
  if (instrument->outputCount() < 1) throw ToolError(kExitBadModule, pluginName + ": the plug-in has no audio outputs");

  LivePlayer player(client, *instrument, options.channel);
  const PlayedPorts ports{player.midiInput(), player.outputs()};
  std::printf("quorlin-host: playing %s as JACK client '%s' at %d Hz, %d frames a period (%.1f ms)\n",
              pluginName.c_str(), client.name().c_str(), player.sampleRate(), player.periodFrames(),
              1000.0 * player.periodFrames() / player.sampleRate());
  printLines(connectPorts(client, ports, options.connections));
  std::unique_ptr<EditorWindow> editor = openEditor(*instrument, options, "quorlin-host play: " + pluginName);

  playUntilStopped(client, player, *instrument, ports, options, editor);
  editor.reset();
  player.finish();
  std::printf("quorlin-host: stopped; xruns: %llu, MIDI events dropped: %llu\n",
              static_cast<unsigned long long>(player.xruns()), static_cast<unsigned long long>(player.droppedEvents()));
  return kExitSuccess;
}
