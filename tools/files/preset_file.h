// .fxp and .fxb files: VST 2 presets as hosts exchange them, one program
// (.fxp) or a bank of programs (.fxb), each either as parameter values or as
// the plug-in's own opaque chunk. Every number is big-endian.
//
// A program: 'CcnK', int32 byte size of the rest of the file, 'FxCk' (values)
// or 'FPCh' (chunk), int32 format version 1, int32 plug-in ID, int32 plug-in
// version, int32 number of parameters, 28 bytes of name (NUL-padded); then
// for 'FxCk' that many float32 values, for 'FPCh' an int32 chunk size and the
// chunk.
//
// A bank: 'CcnK', int32 byte size, 'FxBk' (values) or 'FBCh' (chunk), int32
// format version 1 or 2, int32 plug-in ID, int32 plug-in version, int32
// number of programs, 128 bytes of which version 2 gives the first 4 to the
// current program (the rest zero); then for 'FxBk' one whole 'FxCk' program
// per program, for 'FBCh' an int32 chunk size and the chunk.
//
// The reader takes a file only when every size adds up exactly and every
// value is a finite number; anything else raises PresetFileError naming the
// byte offset and what is wrong. What the kind is comes from the contents,
// never from the file's name.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

enum class PresetKind { Program, Bank };

struct PresetProgram {
  std::string name;           // at most 28 characters
  std::vector<float> values;  // one per parameter; none in a chunk program
};

struct PresetFile {
  PresetKind kind = PresetKind::Program;
  bool opaque = false;  // the plug-in's chunk rather than parameter values
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  // Parameters (a program) or programs (a bank), as the header gives them.
  int32_t count = 0;
  // The program to select after loading a bank; given by (and only by) banks
  // of format version 2.
  std::optional<int32_t> currentProgram;
  // A program: its name (and values, unless opaque). A bank of values: every program.
  std::vector<PresetProgram> programs;
  std::vector<uint8_t> chunk;  // opaque presets only
};

class PresetFileError : public std::runtime_error {
 public:
  PresetFileError(size_t offset, const std::string& problem)
      : std::runtime_error("byte " + std::to_string(offset) + ": " + problem) {}
};

// Throws PresetFileError.
PresetFile parsePresetFile(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> encodePresetFile(const PresetFile& preset);

// Throw ToolError whose message starts with the path: kExitBadInput for a
// file that cannot be read or taken, kExitCannotWrite for one that cannot be written.
PresetFile readPresetFile(const std::string& path);
void writePresetFile(const std::string& path, const PresetFile& preset);

// The kind a file name asks for when a preset is saved: ".fxp" one program,
// ".fxb" a bank, in any letter case; nothing for any other name.
std::optional<PresetKind> presetKindForFileName(const std::string& path);
