// The .fxp/.fxb reader and writer against files written byte by byte here:
// both forms (values and chunk), programs and banks of both versions, and
// every way a file can be cut short or fail to add up.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "preset_bytes.h"
#include "tools/files/preset_file.h"
#include "vst2/interface/vst2_abi.h"

namespace {

const Bytes kChunk = {1, 2, 3, 0, 0xFF, 7};

const Bytes& valuesProgramFile() {
  static const Bytes file = valuesProgram("Prob", "Lead", {0.25f, 1.0f, 0.0f, -0.5f});
  return file;
}
const Bytes& chunkProgramFile() {
  static const Bytes file = chunkProgram("Prob", "Chunked", 4, kChunk);
  return file;
}
const Bytes& valuesBankFile(uint32_t version) {
  static const Bytes first = valuesProgram("Prob", "A", {0.0f, 0.5f});
  static const Bytes second = valuesProgram("Prob", std::string(28, 'n'), {1.0f, 0.125f});
  static const Bytes version1 = valuesBank("Prob", 1, 0, {first, second});
  static const Bytes version2 = valuesBank("Prob", 2, 1, {first, second});
  return version == 1 ? version1 : version2;
}
const Bytes& chunkBankFile() {
  static const Bytes file = chunkBank("Prob", 2, 2, 3, kChunk);
  return file;
}

std::vector<Bytes> everyForm() {
  return {valuesProgramFile(), chunkProgramFile(), valuesBankFile(1), valuesBankFile(2), chunkBankFile()};
}

// The reader's message for bytes it must refuse, or a note that it took them.
std::string refusal(const Bytes& bytes) {
  try {
    parsePresetFile(bytes);
  } catch (const PresetFileError& error) {
    return error.what();
  }
  return "(taken)";
}

TEST(PresetFileReading, AProgramOfValues) {
  const PresetFile preset = parsePresetFile(valuesProgramFile());
  EXPECT_EQ(preset.kind, PresetKind::Program);
  EXPECT_FALSE(preset.opaque);
  EXPECT_EQ(preset.pluginId, fourCharCode('P', 'r', 'o', 'b'));
  EXPECT_EQ(preset.pluginVersion, 1);
  EXPECT_EQ(preset.count, 4);
  ASSERT_EQ(preset.programs.size(), 1u);
  EXPECT_EQ(preset.programs[0].name, "Lead");
  EXPECT_EQ(preset.programs[0].values, (std::vector<float>{0.25f, 1.0f, 0.0f, -0.5f}));  // exact: copied bits
}

TEST(PresetFileReading, AProgramAsAChunk) {
  const PresetFile preset = parsePresetFile(chunkProgramFile());
  EXPECT_EQ(preset.kind, PresetKind::Program);
  EXPECT_TRUE(preset.opaque);
  EXPECT_EQ(preset.count, 4);
  EXPECT_EQ(preset.programs.at(0).name, "Chunked");
  EXPECT_EQ(preset.chunk, kChunk);
}

TEST(PresetFileReading, BanksOfValuesWithAndWithoutACurrentProgram) {
  const PresetFile first = parsePresetFile(valuesBankFile(1));
  EXPECT_EQ(first.kind, PresetKind::Bank);
  EXPECT_FALSE(first.currentProgram.has_value());
  ASSERT_EQ(first.programs.size(), 2u);
  EXPECT_EQ(first.programs[1].name, std::string(28, 'n'));  // a name that fills its field
  EXPECT_EQ(first.programs[1].values, (std::vector<float>{1.0f, 0.125f}));

  const PresetFile second = parsePresetFile(valuesBankFile(2));
  EXPECT_EQ(second.currentProgram, 1);
  EXPECT_EQ(second.programs[0].name, "A");
}

TEST(PresetFileReading, ABankAsAChunk) {
  const PresetFile preset = parsePresetFile(chunkBankFile());
  EXPECT_EQ(preset.kind, PresetKind::Bank);
  EXPECT_TRUE(preset.opaque);
  EXPECT_EQ(preset.count, 3);
  EXPECT_EQ(preset.currentProgram, 2);
  EXPECT_EQ(preset.chunk, kChunk);
}

TEST(PresetFileWriting, WritesEveryFormByteForByte) {
  for (const Bytes& file : everyForm()) EXPECT_EQ(encodePresetFile(parsePresetFile(file)), file);
}

TEST(PresetFileRefusal, EveryCutIsRefusedNamingTheFieldItEndsIn) {
  for (const Bytes& file : everyForm()) {
    for (size_t length = 0; length < file.size(); ++length) {
      const std::string message = refusal(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
      ASSERT_NE(message.find("file ends inside the "), std::string::npos) << length << " bytes: " << message;
    }
  }
  const Bytes& program = valuesProgramFile();
  EXPECT_EQ(refusal(Bytes(program.begin(), program.begin() + 6)), "byte 6: file ends inside the byte size");
  EXPECT_EQ(refusal(Bytes(program.begin(), program.end() - 5)),
            "byte " + std::to_string(program.size() - 5) + ": file ends inside the parameter value 2");
  const Bytes& bank = valuesBankFile(2);
  EXPECT_EQ(refusal(Bytes(bank.begin(), bank.begin() + 156 + 30)),
            "byte 186: program 0: file ends inside the program name");
}

TEST(PresetFileRefusal, SizesThatDoNotAddUp) {
  Bytes longer = valuesProgramFile();
  longer.push_back(0);
  EXPECT_EQ(refusal(longer), "byte 72: 1 bytes after the end of the preset");

  Bytes wrongSize = valuesProgramFile();
  wrongSize[7] += 1;
  EXPECT_EQ(refusal(wrongSize), "byte 4: byte size 65 where 64 bytes follow");

  // A program of the bank whose own size is off, the file's size being right.
  Bytes innerSize = valuesBankFile(1);
  innerSize[156 + 7] -= 1;
  EXPECT_EQ(refusal(innerSize), "byte 160: program 0: byte size 55 where 56 bytes follow");

  Bytes longChunk = chunkProgramFile();
  longChunk[59] = 7;  // the chunk size, one more than there is
  EXPECT_EQ(refusal(longChunk), "byte 66: file ends inside the chunk (7 bytes announced)");
}

TEST(PresetFileRefusal, FieldsThatCannotBeTaken) {
  const Bytes first = valuesProgram("Prob", "A", {0.0f});
  const struct {
    Bytes file;
    std::string message;
  } cases[] = {
      {Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "byte 0: not a VST preset (no 'CcnK' mark)"},
      {presetFile(presetHeader("FxXX", 1, "Prob", 0)), "byte 8: unknown preset kind 'FxXX'"},
      {presetFile(presetHeader("FxCk", 2, "Prob", 0) + nameField("")), "byte 12: format version 2 is not supported"},
      {valuesBank("Prob", 3, 0, {first}), "byte 12: format version 3 is not supported"},
      {valuesBank("Prob", 2, 1, {first}), "byte 28: current program 1 of 1"},
      {presetFile(presetHeader("FxCk", 1, "Prob", 0xFFFFFFFF) + nameField("")),
       "byte 24: number of parameters -1 is negative"},
      {valuesProgram("Prob", "", {0.5f, std::numeric_limits<float>::quiet_NaN()}),
       "byte 60: parameter value 1 is not a finite number"},
      {valuesProgram("Prob", "", {std::numeric_limits<float>::infinity()}),
       "byte 56: parameter value 0 is not a finite number"},
      {valuesBank("Prob", 1, 0, {valuesProgram("Othr", "A", {0.0f})}),
       "byte 172: program 0: plug-in ID 'Othr' differs from the bank's"},
      {valuesBank("Prob", 1, 0, {chunkProgram("Prob", "A", 1, kChunk)}),
       "byte 164: program 0: not a program of parameter values ('FxCk')"},
  };
  for (const auto& c : cases) EXPECT_EQ(refusal(c.file), c.message);
}

TEST(PresetFileNames, TheEndingSaysWhatIsSaved) {
  EXPECT_EQ(presetKindForFileName("sound.fxp"), PresetKind::Program);
  EXPECT_EQ(presetKindForFileName("dir.fxb/Sound.FXB"), PresetKind::Bank);
  for (const char* other : {"sound.wav", "fxp", "", "sound.fxp.part"}) {
    EXPECT_FALSE(presetKindForFileName(other).has_value()) << other;
  }
}

}  // namespace
