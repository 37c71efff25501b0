// One live instance of the loaded module, driven only through its record, as
// a host drives it. The instance is closed with effClose when it goes away.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/hosting/vst2/module_library.h"
#include "vst2/interface/vst2_abi.h"

/// The module under test, loaded once for the whole test program.
const ModuleLibrary& quorlinModule();

class LoadedInstrument {
 public:
  /// Calls the module's VSTPluginMain with the given callback.
  explicit LoadedInstrument(audioMasterCallback host);
  LoadedInstrument(audioMasterCallback host, VstPluginMainProc entry);
  ~LoadedInstrument();
  LoadedInstrument(const LoadedInstrument&) = delete;
  LoadedInstrument& operator=(const LoadedInstrument&) = delete;

  AEffect* record() const { return effect; }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  float parameter(VstInt32 index) { return effect->getParameter(effect, index); }
  void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
  std::string programName();
  /// Sends effClose and returns its answer; the record is gone afterwards.
  VstIntPtr close();

 private:
  AEffect* effect;
};

/// Everything a host can read back without changing it for good: the current
/// program, every program's name and values, and the record's bytes.
struct ObservableState {
  VstIntPtr program;
  std::array<std::string, 4> names;
  std::array<std::array<float, 8>, 4> values;
  std::vector<unsigned char> recordBytes;
  bool operator==(const ObservableState& other) const {
    return program == other.program && names == other.names && values == other.values &&
           recordBytes == other.recordBytes;
  }
};

/// Reads every program by selecting it in turn, then selects the current one again.
ObservableState observe(LoadedInstrument& instrument);
