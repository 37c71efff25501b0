// The module's entry points: what the loader and the host call first.
#include <new>

#include "vst2/instrument/synth_plugin.h"

namespace {

AEffect* createInstance(audioMasterCallback host) {
  // A host that does not answer to its version is not a VST 2 host.
  if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  try {
    SynthPlugin* plugin = new (std::nothrow) SynthPlugin(host);
    return plugin ? plugin->record() : nullptr;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

#ifdef _WIN32
#define QUORLIN_EXPORT extern "C" __declspec(dllexport)
#else
#define QUORLIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

/// The name current hosts look up first.
QUORLIN_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) { return createInstance(host); }

// "main", the name every VST 2 host knows, as an alias of the same function:
// C++ reserves the name for programs, so on Windows it is exported through
// quorlin.def, elsewhere given to the linker directly.
#ifndef _WIN32
QUORLIN_EXPORT AEffect* vstMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
