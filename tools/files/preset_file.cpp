#include "tools/files/preset_file.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cmath>
#include <cstring>

#include "tools/files/whole_file.h"
#include "tools/system/tool_error.h"

namespace {

// Far beyond any plug-in's state, and small enough that every offset fits 32 bits.
constexpr size_t kMaxFileSize = 256u * 1024u * 1024u;
constexpr size_t kNameBytes = 28;
constexpr size_t kBankReservedBytes = 128;
constexpr size_t kTagAndSizeBytes = 8;  // 'CcnK' and the byte size, not counted by the size

constexpr uint32_t tag(const char (&text)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 | static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

constexpr uint32_t kFileTag = tag("CcnK");
constexpr uint32_t kProgramValues = tag("FxCk");
constexpr uint32_t kProgramChunk = tag("FPCh");
constexpr uint32_t kBankValues = tag("FxBk");
constexpr uint32_t kBankChunk = tag("FBCh");

std::string tagText(uint32_t value) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(value >> shift);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}

// Reads fields in order; a field the file ends inside is named in the error.
class PresetReader {
 public:
  explicit PresetReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  PresetFile read() {
    if (word("'CcnK' mark") != kFileTag) throw PresetFileError(0, "not a VST preset (no 'CcnK' mark)");
    const int32_t byteSize = number("byte size");
    const size_t kindOffset = position_;
    const uint32_t kind = word("preset kind");
    PresetFile preset;
    if (kind == kProgramValues || kind == kProgramChunk) {
      preset.kind = PresetKind::Program;
      preset.opaque = kind == kProgramChunk;
      readProgram(preset);
    } else if (kind == kBankValues || kind == kBankChunk) {
      preset.kind = PresetKind::Bank;
      preset.opaque = kind == kBankChunk;
      readBank(preset);
    } else {
      throw PresetFileError(kindOffset, "unknown preset kind '" + tagText(kind) + "'");
    }
    if (position_ != bytes_.size()) {
      throw PresetFileError(position_, std::to_string(bytes_.size() - position_) + " bytes after the end of the preset");
    }
    checkSize(byteSize, 0);
    return preset;
  }

 private:
  PresetFileError error(size_t offset, const std::string& problem) const {
    return PresetFileError(offset, prefix_ + problem);
  }

  void need(size_t count, const std::string& field) {
    if (bytes_.size() - position_ < count) throw error(bytes_.size(), "file ends inside the " + field);
  }

  uint32_t word(const std::string& field) {
    need(4, field);
    const uint8_t* in = &bytes_[position_];
    position_ += 4;
    return static_cast<uint32_t>(in[0]) << 24 | static_cast<uint32_t>(in[1]) << 16 |
           static_cast<uint32_t>(in[2]) << 8 | static_cast<uint32_t>(in[3]);
  }

  int32_t number(const std::string& field) { return static_cast<int32_t>(word(field)); }

  int32_t count(const std::string& field) {
    const size_t offset = position_;
    const int32_t value = number(field);
    if (value < 0) throw error(offset, field + " " + std::to_string(value) + " is negative");
    return value;
  }

  std::string name(const std::string& field) {
    need(kNameBytes, field);
    const char* text = reinterpret_cast<const char*>(&bytes_[position_]);
    position_ += kNameBytes;
    return std::string(text, strnlen(text, kNameBytes));
  }

  // The byte size at `start` + 4 must count exactly what follows it up to here.
  void checkSize(int32_t byteSize, size_t start) {
    const size_t counted = position_ - start - kTagAndSizeBytes;
    if (byteSize < 0 || static_cast<size_t>(byteSize) != counted) {
      throw error(start + 4, "byte size " + std::to_string(byteSize) + " where " + std::to_string(counted) +
                                 " bytes follow");
    }
  }

  int32_t version(int32_t highest) {
    const size_t offset = position_;
    const int32_t version = number("format version");
    if (version < 1 || version > highest) {
      throw error(offset, "format version " + std::to_string(version) + " is not supported");
    }
    return version;
  }

  std::vector<uint8_t> chunk() {
    const int32_t size = count("chunk size");
    need(static_cast<size_t>(size), "chunk (" + std::to_string(size) + " bytes announced)");
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(position_);
    position_ += static_cast<size_t>(size);
    return std::vector<uint8_t>(begin, begin + size);
  }

  std::vector<float> values(int32_t count) {
    std::vector<float> read;
    for (int32_t i = 0; i < count; ++i) {
      const size_t offset = position_;
      const uint32_t bits = word("parameter value " + std::to_string(i));
      float value = 0.0f;
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value)) throw error(offset, "parameter value " + std::to_string(i) + " is not a finite number");
      read.push_back(value);
    }
    return read;
  }

  // The fields after the kind.
  void readProgram(PresetFile& preset) {
    version(1);
    preset.pluginId = number("plug-in ID");
    preset.pluginVersion = number("plug-in version");
    preset.count = count("number of parameters");
    PresetProgram program;
    program.name = name("program name");
    if (preset.opaque) {
      preset.chunk = chunk();
    } else {
      program.values = values(preset.count);
    }
    preset.programs.push_back(program);
  }

  void readBank(PresetFile& preset) {
    const int32_t format = version(2);
    preset.pluginId = number("plug-in ID");
    preset.pluginVersion = number("plug-in version");
    preset.count = count("number of programs");
    need(kBankReservedBytes, "reserved bytes");
    if (format == 2) {
      const size_t offset = position_;
      const int32_t current = number("current program");
      if (current < 0 || current >= preset.count) {
        throw error(offset, "current program " + std::to_string(current) + " of " + std::to_string(preset.count));
      }
      preset.currentProgram = current;
    }
    position_ += kBankReservedBytes - (format == 2 ? 4 : 0);
    if (preset.opaque) {
      preset.chunk = chunk();
      return;
    }
    for (int32_t i = 0; i < preset.count; ++i) readBankProgram(preset, i);
  }

  // A whole 'FxCk' program of a bank, for the bank's plug-in; what is wrong
  // with it is said of it.
  void readBankProgram(PresetFile& bank, int32_t index) {
    prefix_ = "program " + std::to_string(index) + ": ";
    const size_t start = position_;
    if (word("'CcnK' mark") != kFileTag) throw error(start, "no 'CcnK' mark");
    const int32_t byteSize = number("byte size");
    const size_t kindOffset = position_;
    if (word("preset kind") != kProgramValues) throw error(kindOffset, "not a program of parameter values ('FxCk')");
    PresetFile program;
    const size_t idOffset = position_ + 4;
    readProgram(program);
    if (program.pluginId != bank.pluginId) {
      throw error(idOffset, "plug-in ID '" + tagText(static_cast<uint32_t>(program.pluginId)) + "' differs from the bank's");
    }
    checkSize(byteSize, start);
    bank.programs.push_back(program.programs.front());
    prefix_.clear();
  }

  const std::vector<uint8_t>& bytes_;
  size_t position_ = 0;
  std::string prefix_;  // names the program of a bank being read
};

void putWord(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putName(std::vector<uint8_t>& out, const std::string& name) {
  const size_t length = std::min(name.size(), kNameBytes);
  out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
  out.insert(out.end(), kNameBytes - length, 0);
}

void putChunk(std::vector<uint8_t>& out, const std::vector<uint8_t>& chunk) {
  putWord(out, static_cast<uint32_t>(chunk.size()));
  out.insert(out.end(), chunk.begin(), chunk.end());
}

// Writes the byte size at `start` + 4 once everything after it is in place.
void closeSize(std::vector<uint8_t>& out, size_t start) {
  const uint32_t size = static_cast<uint32_t>(out.size() - start - kTagAndSizeBytes);
  for (int i = 0; i < 4; ++i) out[start + 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (24 - 8 * i));
}

void putProgram(std::vector<uint8_t>& out, const PresetFile& preset, const PresetProgram& program, bool opaque,
                int32_t parameterCount) {
  const size_t start = out.size();
  putWord(out, kFileTag);
  putWord(out, 0);
  putWord(out, opaque ? kProgramChunk : kProgramValues);
  putWord(out, 1);
  putWord(out, static_cast<uint32_t>(preset.pluginId));
  putWord(out, static_cast<uint32_t>(preset.pluginVersion));
  putWord(out, static_cast<uint32_t>(parameterCount));
  putName(out, program.name);
  if (opaque) {
    putChunk(out, preset.chunk);
  } else {
    for (float value : program.values) {
      uint32_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      putWord(out, bits);
    }
  }
  closeSize(out, start);
}

}  // namespace

PresetFile parsePresetFile(const std::vector<uint8_t>& bytes) {
  if (bytes.size() > kMaxFileSize) {
    throw PresetFileError(kMaxFileSize, "file larger than " + std::to_string(kMaxFileSize >> 20) + " MiB");
  }
  return PresetReader(bytes).read();
}

std::vector<uint8_t> encodePresetFile(const PresetFile& preset) {
  std::vector<uint8_t> out;
  if (preset.kind == PresetKind::Program) {
    const PresetProgram none;
    putProgram(out, preset, preset.programs.empty() ? none : preset.programs.front(), preset.opaque, preset.count);
    return out;
  }
  putWord(out, kFileTag);
  putWord(out, 0);
  putWord(out, preset.opaque ? kBankChunk : kBankValues);
  putWord(out, preset.currentProgram ? 2 : 1);
  putWord(out, static_cast<uint32_t>(preset.pluginId));
  putWord(out, static_cast<uint32_t>(preset.pluginVersion));
  putWord(out, static_cast<uint32_t>(preset.count));
  putWord(out, static_cast<uint32_t>(preset.currentProgram.value_or(0)));
  out.insert(out.end(), kBankReservedBytes - 4, 0);
  if (preset.opaque) {
    putChunk(out, preset.chunk);
  } else {
    for (const PresetProgram& program : preset.programs) {
      putProgram(out, preset, program, false, static_cast<int32_t>(program.values.size()));
    }
  }
  closeSize(out, 0);
  return out;
}

PresetFile readPresetFile(const std::string& path) {
  try {
    return parsePresetFile(readWholeFile(path, kMaxFileSize));
  } catch (const PresetFileError& error) {
    throw ToolError(kExitBadInput, path + ": " + error.what());
  }
}

void writePresetFile(const std::string& path, const PresetFile& preset) {
  writeWholeFile(path, encodePresetFile(preset));
}

std::optional<PresetKind> presetKindForFileName(const std::string& path) {
  if (path.size() < 4) return std::nullopt;
  std::string ending = path.substr(path.size() - 4);
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ending == ".fxp") return PresetKind::Program;
  if (ending == ".fxb") return PresetKind::Bank;
  return std::nullopt;
}
