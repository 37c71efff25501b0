#include "tools/audio/jack_library.h"

#include <dlfcn.h>

#include <string>

#include "tools/system/tool_error.h"

namespace {

const char* const kLibraryName = "libjack.so.0";
const char* const kWhatToInstall =
    "install PipeWire's JACK (pipewire-jack) or JACK itself (jackd2); the other subcommands do without it";

JackLibrary load() {
  void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    throw ToolError(kExitNoAudio, std::string("play needs JACK's client library ") + kLibraryName +
                                      ", which cannot be loaded: " + kWhatToInstall);
  }
  JackLibrary library{};
#define QUORLIN_JACK_RESOLVE(name)                                                                           \
  library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, "jack_" #name));                    \
  if (library.name == nullptr) {                                                                            \
    throw ToolError(kExitNoAudio, std::string(kLibraryName) + " lacks jack_" #name ": " + kWhatToInstall); \
  }
  QUORLIN_JACK_FUNCTIONS(QUORLIN_JACK_RESOLVE)
#undef QUORLIN_JACK_RESOLVE
  return library;
}

}  // namespace

const JackLibrary& jackLibrary() {
  static const JackLibrary library = load();
  return library;
}
