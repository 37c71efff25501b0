// The subcommands of quorlin-host. Each takes the arguments that follow its
// name and returns the exit status, or throws ToolError.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int renderCommand(const Arguments& args);
int infoCommand(const Arguments& args);
int editorCommand(const Arguments& args);

struct Subcommand {
  const char* name;
  const char* summary;
  int (*run)(const Arguments& args);
};

// What `quorlin-host` offers, in the order its usage lists them.
inline const Subcommand kSubcommands[] = {
    {"render", "render a MIDI file through a VST 2 or LV2 instrument into a WAV file", renderCommand},
    {"info", "describe a VST 2 or LV2 plug-in: identity, parameters or ports, capabilities", infoCommand},
    {"editor", "open a plug-in's editor in a window, or save a picture of it", editorCommand},
};
