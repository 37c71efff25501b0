#include "tools/hosting/plugin_description.h"

#include <cstdint>
#include <memory>

namespace {

// Rate and block size the plug-in is told before it is asked anything.
constexpr int32_t kDescribedSampleRate = 44100;
constexpr int32_t kDescribedBlockSize = 512;

}  // namespace

InstrumentDescription describePlugin(InstrumentPlugin& plugin, const std::string& preset) {
  const std::unique_ptr<Instrument> instrument = plugin.instantiate();
  const bool withPreset = !preset.empty();
  if (withPreset) {
    SessionSettings settings;
    settings.sampleRate = kDescribedSampleRate;
    settings.blockSize = kDescribedBlockSize;
    settings.preset = preset;
    instrument->configure(settings);
  } else {
    instrument->setTiming(kDescribedSampleRate, kDescribedBlockSize);
  }
  return instrument->describe(withPreset);
}
