// The instrument driven by a stream of host operations (host_operations.h);
// any broken promise aborts with its description, so libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host_operations.h"
#include "vst2/instrument/synth_plugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SynthPlugin* plugin = nullptr;
  try {
    plugin = new SynthPlugin(quietHost);
  } catch (int) {
    std::fprintf(stderr, "plugin_fuzzer: a fresh instance could not be built\n");
    std::abort();
  }
  AEffect* effect = plugin->record();
  std::string failure = runHostOperations(effect, data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "plugin_fuzzer: %s\n", failure.c_str());
    std::abort();
  }
  if (effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) != 1) {
    std::fprintf(stderr, "plugin_fuzzer: effClose did not answer 1\n");
    std::abort();
  }
  return 0;
}
