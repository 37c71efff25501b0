#include "preset_file_check.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <vector>

#include "tools/files/preset_file.h"

namespace {

std::string checkErrorLine(const char* message) {
  std::string line(message);
  if (line.empty()) return "a rejection with an empty message";
  for (char character : line) {
    unsigned char code = static_cast<unsigned char>(character);
    if (code == '\n' || code == '\r') return "a rejection message of more than one line: " + line;
    if (code < 0x20 || code > 0x7E) return "a rejection message with an unprintable byte: " + line;
  }
  return {};
}

std::string checkContents(const PresetFile& preset) {
  if (preset.kind == PresetKind::Program && preset.programs.size() != 1) return "a program file without one program";
  if (preset.kind == PresetKind::Bank && !preset.opaque && preset.programs.size() != static_cast<size_t>(preset.count))
    return "a bank of values whose programs differ from its count";
  if (preset.currentProgram && (*preset.currentProgram < 0 || *preset.currentProgram >= preset.count))
    return "a current program outside the bank";
  if (preset.currentProgram && preset.kind != PresetKind::Bank) return "a current program given by a program file";
  if (!preset.opaque && !preset.chunk.empty()) return "a preset of values with a chunk";
  for (const PresetProgram& program : preset.programs) {
    if (preset.opaque && !program.values.empty()) return "a chunk preset with parameter values";
    if (program.name.size() > 28 || program.name.find('\0') != std::string::npos) return "a name that does not fit";
    for (float value : program.values) {
      if (!std::isfinite(value)) return "an accepted value that is not finite";
    }
  }
  return {};
}

bool samePreset(const PresetFile& a, const PresetFile& b) {
  if (a.kind != b.kind || a.opaque != b.opaque || a.pluginId != b.pluginId || a.pluginVersion != b.pluginVersion ||
      a.count != b.count || a.currentProgram != b.currentProgram || a.chunk != b.chunk ||
      a.programs.size() != b.programs.size())
    return false;
  for (size_t i = 0; i < a.programs.size(); ++i) {
    const std::vector<float>& x = a.programs[i].values;
    const std::vector<float>& y = b.programs[i].values;
    if (a.programs[i].name != b.programs[i].name || x.size() != y.size() ||
        (!x.empty() && std::memcmp(x.data(), y.data(), x.size() * sizeof(float)) != 0))
      return false;
  }
  return true;
}

}  // namespace

std::string checkPresetFileReading(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  PresetFile preset;
  try {
    preset = parsePresetFile(bytes);
  } catch (const PresetFileError& error) {
    return checkErrorLine(error.what());
  } catch (const std::exception& error) {
    return std::string("the reader let escape another exception: ") + error.what();
  }
  std::string problem = checkContents(preset);
  if (!problem.empty()) return problem;
  try {
    if (!samePreset(parsePresetFile(encodePresetFile(preset)), preset))
      return "the writer's file reads back as another preset";
  } catch (const std::exception& error) {
    return std::string("the writer's file is refused: ") + error.what();
  }
  return {};
}
