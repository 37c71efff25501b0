// Writes quorlin-factory.fxb, the factory sounds for VST 2 hosts: a bank of
// the instrument's four programs, holding exactly the chunk the instrument
// hands a host that saves it with those programs, so that any VST 2 host
// that loads banks takes it, and what it plays is what the table says.
//
// Usage: quorlin_factory_bank OUTPUT.fxb
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/factory_sounds.h"
#include "tools/files/preset_file.h"
#include "tools/system/tool_error.h"
#include "vst2/instrument/synth_plugin.h"

namespace {

static_assert(kFactorySoundCount == kProgramCount, "the factory bank fills the instrument's programs exactly");

PresetFile factoryBank() {
  SynthPlugin plugin(nullptr);
  for (int program = 0; program < kProgramCount; ++program) {
    const FactorySound& sound = kFactorySounds[program];
    plugin.setProgram(program);
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
      plugin.setParameter(parameter, sound.values[parameter]);
    }
    char name[ProgramRecord::kNameLimit] = {};
    std::strncpy(name, sound.name, sizeof name - 1);
    plugin.setProgramName(name);
  }
  plugin.setProgram(0);

  void* chunk = nullptr;
  const int32_t size = plugin.getChunk(&chunk, false);
  const AEffect& effect = *plugin.record();
  PresetFile bank;
  bank.kind = PresetKind::Bank;
  bank.opaque = true;
  bank.pluginId = effect.uniqueID;
  bank.pluginVersion = effect.version;
  bank.count = effect.numPrograms;
  bank.currentProgram = 0;
  bank.chunk.assign(static_cast<const uint8_t*>(chunk), static_cast<const uint8_t*>(chunk) + size);
  return bank;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorlin_factory_bank OUTPUT.fxb\n");
    return 2;
  }
  try {
    writePresetFile(argv[1], factoryBank());
  } catch (const ToolError& error) {
    std::fprintf(stderr, "quorlin_factory_bank: %s\n", error.what());
    return error.status();
  } catch (...) {
    std::fprintf(stderr, "quorlin_factory_bank: the instrument could not be built\n");
    return 1;
  }
  return 0;
}
