// One instance of a VST 2 plug-in, driven in the order an offline host uses:
//
//   main(callback) -> effOpen                          (constructor)
//   effSetSampleRate -> effSetBlockSize -> effSetProgram(P)
//   -> setParameter(I, V) for each value -> effSetProgram(P)   (configure)
//   effMainsChanged(1)                                 (start)
//   effProcessEvents / processReplacing per block      (sendEvents, process)
//   effMainsChanged(0)                                 (stop)
//   effClose                                           (destructor)
//
// The program is applied a second time after the parameters so that a plug-in
// which reads its values only on a program change sounds with them.
//
// Several instances may run at once, each on its own thread. Hosts make every
// call but the audio ones from a single interface thread, and plug-ins rely
// on it: they keep module-wide state (the Quorlin module, its editor tables)
// that these calls touch unguarded. So construction, configure, start, stop
// and destruction hold the interface thread (interface_thread.h); events and
// processing do not.
//
// A preset is loaded before the program and parameters, which then change
// what it set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/hosting/instrument.h"
#include "tools/hosting/vst2/module_library.h"
#include "tools/hosting/vst2/vst_event_list.h"
#include "vst2/interface/vst2_abi.h"

class Vst2Instrument : public Instrument {
 public:
  // Creates and opens an instance. Throws InstanceRefused when main answers
  // null, and ToolError with kExitBadModule for a record that is not a VST 2
  // effect.
  explicit Vst2Instrument(const ModuleLibrary& module);
  ~Vst2Instrument() override;
  Vst2Instrument(const Vst2Instrument&) = delete;
  Vst2Instrument& operator=(const Vst2Instrument&) = delete;

  void setTiming(int32_t sampleRate, int32_t blockSize) override;
  void configure(const SessionSettings& settings) override;
  int outputCount() const override { return effect_->numOutputs; }
  void start() override;
  void stop() override;
  void prepareForLive(int32_t capacity) override { events_.reserve(static_cast<size_t>(capacity)); }
  void sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) override;
  void process(int32_t frames) override;
  float* const* outputs() override { return pointers_.data() + inputCount_; }
  InstrumentDescription describe(bool withProgramValues) override;
  std::vector<std::pair<std::string, double>> parameterValues() override;
  std::unique_ptr<SavedState> saveState(const std::string& path) override;
  std::optional<std::pair<int, int>> editorSize() override;
  std::unique_ptr<InstrumentEditor> openEditor(HostWindow& window) override;

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
  float parameter(VstInt32 index) { return effect_->getParameter(effect_, index); }
  const AEffect& effect() const { return *effect_; }
  const std::string& modulePath() const { return modulePath_; }

 private:
  void applyTiming(int32_t sampleRate, int32_t blockSize);
  void checkParameters(const std::vector<ParameterSetting>& parameters) const;

  AEffect* effect_ = nullptr;
  std::string modulePath_;
  bool running_ = false;
  // One block-sized buffer per plug-in input and output; inputs stay silent.
  std::vector<std::vector<float>> buffers_;
  std::vector<float*> pointers_;
  int inputCount_ = 0;
  int32_t sampleRate_ = 44100;
  int32_t blockSize_ = 512;
  VstEventList events_;
};
