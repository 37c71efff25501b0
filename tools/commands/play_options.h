// The command line of `quorlin-host play`.
#pragma once

#include <string>

#include "tools/audio/autoconnect.h"
#include "tools/audio/event_splitter.h"
#include "tools/commands/subcommands.h"
#include "tools/hosting/instrument.h"

extern const char* const kPlayHelp;

struct PlayOptions {
  bool help = false;
  std::string pluginName;  // the default plug-in when empty
  SessionSettings session;  // its rate and block size come from the server
  std::string clientName = "quorlin-host";
  std::string serverName;  // the default server when empty
  ConnectionChoice connections;
  int channel = kAnyChannel;  // or 0 to 15
  bool editor = true;
};

// Throws ToolError (kExitBadInput) with the usage line.
PlayOptions parsePlayOptions(const Arguments& args);
