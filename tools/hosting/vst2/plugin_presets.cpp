#include "tools/hosting/vst2/plugin_presets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/hosting/vst2/vst2_description.h"
#include "tools/system/tool_error.h"

namespace {

// Plug-ins write program names of up to 24 bytes, some more; the buffer is
// generous and always terminated.
constexpr size_t kNameBufferSize = 256;

VstIntPtr dispatch(AEffect& effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
  return effect.dispatcher(&effect, opcode, index, value, ptr, 0.0f);
}

std::string identity(int32_t id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
  return "'" + fourCharacters(id) + "' (" + text + ")";
}

ToolError unfit(const std::string& path, const std::string& problem) { return ToolError(kExitBadInput, path + ": " + problem); }

// Everything a preset must match before anything of the plug-in is changed.
void checkFits(const AEffect& effect, const PresetFile& preset, const std::string& path) {
  const std::string what = preset.kind == PresetKind::Bank ? "a bank" : "a program";
  if (preset.pluginId != effect.uniqueID) {
    throw unfit(path, what + " for the plug-in " + identity(preset.pluginId) + ", not for this one " +
                          identity(effect.uniqueID));
  }
  if (preset.opaque) {
    if ((effect.flags & effFlagsProgramChunks) == 0) {
      throw unfit(path, what + " held as a chunk, but the plug-in takes no chunks");
    }
    return;
  }
  if (preset.kind == PresetKind::Bank && preset.count != effect.numPrograms) {
    throw unfit(path, "a bank of " + std::to_string(preset.count) + " programs for a plug-in of " +
                          std::to_string(effect.numPrograms));
  }
  for (size_t i = 0; i < preset.programs.size(); ++i) {
    const size_t values = preset.programs[i].values.size();
    if (values != static_cast<size_t>(effect.numParams)) {
      const std::string where = preset.kind == PresetKind::Bank ? "program " + std::to_string(i) + " holds " : "";
      throw unfit(path, where + std::to_string(values) + " parameter values for a plug-in of " +
                            std::to_string(effect.numParams));
    }
  }
}

bool handsOut(AEffect& effect, VstInt32 index, const std::vector<uint8_t>& chunk) {
  void* data = nullptr;
  const VstIntPtr size = dispatch(effect, effGetChunk, index, 0, &data);
  return data != nullptr && size == static_cast<VstIntPtr>(chunk.size()) && std::memcmp(data, chunk.data(), chunk.size()) == 0;
}

void setProgram(AEffect& effect, const PresetProgram& program) {
  std::vector<char> name(kNameBufferSize, '\0');
  std::memcpy(name.data(), program.name.data(), std::min(program.name.size(), kNameBufferSize - 1));
  dispatch(effect, effSetProgramName, 0, 0, name.data());
  for (size_t index = 0; index < program.values.size(); ++index) {
    effect.setParameter(&effect, static_cast<VstInt32>(index), program.values[index]);
  }
}

PresetProgram currentProgram(AEffect& effect, const std::string& path) {
  PresetProgram program;
  std::vector<char> name(kNameBufferSize, '\0');
  dispatch(effect, effGetProgramName, 0, 0, name.data());
  name.back() = '\0';
  program.name = name.data();
  if ((effect.flags & effFlagsProgramChunks) != 0) return program;
  for (VstInt32 index = 0; index < effect.numParams; ++index) {
    const float value = effect.getParameter(&effect, index);
    if (!std::isfinite(value)) {
      throw ToolError(kExitBadModule, path + ": the plug-in reports parameter " + std::to_string(index) +
                                          " as a value that is not a number");
    }
    program.values.push_back(value);
  }
  return program;
}

}  // namespace

void loadPreset(AEffect& effect, const PresetFile& preset, const std::string& path) {
  checkFits(effect, preset, path);
  const bool bank = preset.kind == PresetKind::Bank;
  if (preset.opaque) {
    // A copy the plug-in may keep reading, with a zero byte past its end:
    // some plug-ins (amsynth among them) read their chunk as text up to a
    // terminator.
    std::vector<uint8_t> chunk = preset.chunk;
    chunk.push_back(0);
    const VstIntPtr size = static_cast<VstIntPtr>(preset.chunk.size());
    const VstInt32 index = bank ? 0 : 1;
    // Some plug-ins (amsynth among them) answer 0 even to a chunk they took:
    // then what they hand out afterwards tells whether they hold it.
    if (dispatch(effect, effSetChunk, index, size, chunk.data()) == 0 &&
        !handsOut(effect, index, preset.chunk)) {
      throw unfit(path, "the plug-in refused the preset's chunk");
    }
    return;
  }
  const VstIntPtr current = dispatch(effect, effGetProgram);
  if (!bank) {
    setProgram(effect, preset.programs.front());
    dispatch(effect, effSetProgram, 0, current);
    return;
  }
  for (size_t program = 0; program < preset.programs.size(); ++program) {
    dispatch(effect, effSetProgram, 0, static_cast<VstIntPtr>(program));
    setProgram(effect, preset.programs[program]);
  }
  dispatch(effect, effSetProgram, 0, preset.currentProgram ? *preset.currentProgram : current);
}

PresetFile savePreset(AEffect& effect, PresetKind kind, const std::string& path) {
  PresetFile preset;
  preset.kind = kind;
  preset.opaque = (effect.flags & effFlagsProgramChunks) != 0;
  preset.pluginId = effect.uniqueID;
  preset.pluginVersion = effect.version;
  preset.count = kind == PresetKind::Bank ? effect.numPrograms : effect.numParams;
  const VstIntPtr current = dispatch(effect, effGetProgram);
  if (preset.opaque) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, kind == PresetKind::Bank ? 0 : 1, 0, &data);
    if (size <= 0 || data == nullptr) throw ToolError(kExitBadModule, path + ": the plug-in handed out no chunk");
    const auto* bytes = static_cast<const uint8_t*>(data);
    preset.chunk.assign(bytes, bytes + size);
  }
  if (kind == PresetKind::Program) {
    preset.programs.push_back(currentProgram(effect, path));
    return preset;
  }
  if (current >= 0 && current < effect.numPrograms) preset.currentProgram = static_cast<int32_t>(current);
  if (preset.opaque) return preset;
  for (VstInt32 program = 0; program < effect.numPrograms; ++program) {
    dispatch(effect, effSetProgram, 0, program);
    preset.programs.push_back(currentProgram(effect, path));
  }
  dispatch(effect, effSetProgram, 0, current);
  return preset;
}
