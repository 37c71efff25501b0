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
// Several sessions may run at once, each on its own thread. Hosts make every
// call but the audio ones from a single interface thread, and plug-ins rely
// on it: they keep module-wide state (the Quorlin module, its editor tables)
// that these calls touch unguarded. So construction, configure, start, stop
// and destruction take one lock of the process; events and processing do not.
//
// A preset is loaded before the program and parameters, which then change
// what it set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/vst2_abi.h"
#include "tools/hosting/plugin_presets.h"
#include "tools/system/tool_error.h"

class ModuleLibrary;

struct ParameterSetting {
  int32_t index;
  float value;
};

struct SessionSettings {
  int32_t sampleRate = 44100;
  int32_t blockSize = 512;
  // Without one, program 0, or with a preset the program the preset left current.
  std::optional<int32_t> program;
  std::vector<ParameterSetting> parameters;
  std::string presetPath;  // an .fxp or .fxb file to load first; none when empty
};

// main answered null: the plug-in makes no further instance, perhaps only
// while others are alive (the Quorlin module allows eight at a time).
class InstanceRefused : public ToolError {
 public:
  using ToolError::ToolError;
};

class PluginSession {
 public:
  // Creates and opens an instance. Throws InstanceRefused when main answers
  // null, and ToolError with kExitBadModule for a record that is not a VST 2
  // effect.
  explicit PluginSession(const ModuleLibrary& module);
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  // effSetSampleRate and effSetBlockSize, with the host's answers to match.
  void setTiming(int32_t sampleRate, int32_t blockSize);
  // Sets rate, block size, preset, program and parameters. Throws ToolError
  // with kExitBadInput for a program or parameter index the plug-in does not
  // have, or a preset it cannot take.
  void configure(const SessionSettings& settings);
  void start();
  void stop();

  void sendEvents(VstEvents* events);
  // Renders `frames` frames into the plug-in's outputs; inputs are fed silence.
  void process(float** inputs, float** outputs, int32_t frames);

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
  float parameter(VstInt32 index) { return effect_->getParameter(effect_, index); }
  const AEffect& effect() const { return *effect_; }
  // The preset of that kind that a host would save now, for the file `path`.
  PresetFile savePreset(PresetKind kind, const std::string& path) { return ::savePreset(*effect_, kind, path); }
  const std::string& modulePath() const { return modulePath_; }

 private:
  void applyTiming(int32_t sampleRate, int32_t blockSize);

  AEffect* effect_ = nullptr;
  std::string modulePath_;
  bool running_ = false;
};
