#include "loaded_instrument.h"

#include <cstring>

const ModuleLibrary& quorlinModule() {
  static const ModuleLibrary module(QUORLIN_MODULE_PATH);
  return module;
}

LoadedInstrument::LoadedInstrument(audioMasterCallback host)
    : LoadedInstrument(host, quorlinModule().entry("VSTPluginMain")) {}

LoadedInstrument::LoadedInstrument(audioMasterCallback host, VstPluginMainProc entry)
    : effect(entry != nullptr ? entry(host) : nullptr) {}

LoadedInstrument::~LoadedInstrument() {
  if (effect != nullptr) close();
}

VstIntPtr LoadedInstrument::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string LoadedInstrument::programName() {
  char name[64] = {};
  dispatch(effGetProgramName, 0, 0, name);
  return std::string(name, strnlen(name, sizeof name));
}

VstIntPtr LoadedInstrument::close() {
  const VstIntPtr answer = dispatch(effClose);
  effect = nullptr;
  return answer;
}

ObservableState observe(LoadedInstrument& instrument) {
  ObservableState state;
  state.program = instrument.dispatch(effGetProgram);
  for (int program = 0; program < 4; ++program) {
    instrument.dispatch(effSetProgram, 0, program);
    state.names[program] = instrument.programName();
    for (int index = 0; index < 8; ++index) state.values[program][index] = instrument.parameter(index);
  }
  instrument.dispatch(effSetProgram, 0, state.program);
  const auto* bytes = reinterpret_cast<const unsigned char*>(instrument.record());
  state.recordBytes.assign(bytes, bytes + sizeof(AEffect));
  return state;
}
