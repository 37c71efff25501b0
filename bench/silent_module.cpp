// A VST 2 instrument that takes every event and renders silence: rendering a
// file through it measures what the host itself costs (reading the MIDI file,
// delivering events, writing the WAV file), so that bench/compare can tell
// that apart from the instruments' own work.
#include <cstring>
#include <new>

#include "vst2/interface/effect_base_x.h"

namespace {

class SilentInstrument : public EffectBaseX {
 public:
  explicit SilentInstrument(audioMasterCallback host) : EffectBaseX(host, 1, 0) {
    setNumInputs(0);
    setNumOutputs(2);
    setUniqueID(('Q' << 24) | ('s' << 16) | ('i' << 8) | 'l');
    isSynth(true);
    canProcessReplacing(true);
  }

  void process(float** inputs, float** outputs, int32_t sampleFrames) override {
    processReplacing(inputs, outputs, sampleFrames);
  }
  void processReplacing(float**, float** outputs, int32_t sampleFrames) override {
    if (sampleFrames <= 0 || !outputs) return;
    std::memset(outputs[0], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
    std::memset(outputs[1], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
  }
  int32_t processEvents(VstEvents*) override { return 1; }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  SilentInstrument* instrument = new (std::nothrow) SilentInstrument(host);
  return instrument ? instrument->record() : nullptr;
}
