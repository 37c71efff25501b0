// `quorlin-host play` where this build cannot play live: on Windows, and on
// Linux built without JACK's headers (libjack-jackd2-dev).
#include "tools/commands/subcommands.h"
#include "tools/system/tool_error.h"

int playCommand(const Arguments&) {
#ifdef _WIN32
  throw ToolError(kExitNoAudio, "play is available on Linux, where it plays through JACK or PipeWire");
#else
  throw ToolError(kExitNoAudio,
                  "this quorlin-host was built without JACK's headers (libjack-jackd2-dev), so it cannot play");
#endif
}
