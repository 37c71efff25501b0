// The four programs and eight parameters as the host sees them through the
// record: names, selection, values, and how long names are cut.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "loaded_instrument.h"
#include "recording_host.h"

namespace {

// The values every program starts with. Compared exactly: they are stored
// from these same single-precision constants, not computed.
constexpr float kInitialValues[8] = {0.5f, 0.0f, 0.3f, 0.0f, 0.3f, 0.0f, 0.999f, 0.999f};

class ProgramsAndParameters : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(instrument.record(), nullptr); }

  RecordingHost host;
  LoadedInstrument instrument{RecordingHost::callback()};
};

TEST_F(ProgramsAndParameters, ProgramsAreNamedDefault0To3) {
  EXPECT_EQ(instrument.dispatch(effGetProgram), 0);
  for (int program = 0; program < 4; ++program) {
    instrument.dispatch(effSetProgram, 0, program);
    EXPECT_EQ(instrument.programName(), "Default " + std::to_string(program));
  }
}

TEST_F(ProgramsAndParameters, EveryProgramStartsWithTheSameValues) {
  for (int program = 0; program < 4; ++program) {
    instrument.dispatch(effSetProgram, 0, program);
    for (int index = 0; index < 8; ++index) {
      EXPECT_EQ(instrument.parameter(index), kInitialValues[index]) << "program " << program << " index " << index;
    }
  }
}

TEST_F(ProgramsAndParameters, SelectingAProgramMakesItCurrent) {
  instrument.dispatch(effSetProgram, 0, 3);
  EXPECT_EQ(instrument.dispatch(effGetProgram), 3);
  EXPECT_EQ(instrument.programName(), "Default 3");
  instrument.dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(instrument.dispatch(effGetProgram), 2);
}

TEST_F(ProgramsAndParameters, ProgramNumbersOutsideZeroToThreeAreIgnored) {
  instrument.dispatch(effSetProgram, 0, 2);
  instrument.setParameter(0, 0.75f);
  for (VstIntPtr program : {VstIntPtr{4}, VstIntPtr{-1}, VstIntPtr{1000}, VstIntPtr{INT32_MIN}}) {
    EXPECT_EQ(instrument.dispatch(effSetProgram, 0, program), 0);
    EXPECT_EQ(instrument.dispatch(effGetProgram), 2) << program;
    EXPECT_EQ(instrument.programName(), "Default 2") << program;
    EXPECT_EQ(instrument.parameter(0), 0.75f) << program;
  }
}

#if INTPTR_MAX > INT32_MAX
// A 64-bit host passes the value pointer-sized: a number past 32 bits must not
// be cut down to a small valid program number.
TEST_F(ProgramsAndParameters, WideProgramNumbersAreNotCutToValidOnes) {
  instrument.dispatch(effSetProgram, 0, 1);
  const VstIntPtr beyond32Bits = static_cast<VstIntPtr>(int64_t{1} << 32);
  for (VstIntPtr program : {beyond32Bits + 2, -beyond32Bits + 2}) {
    instrument.dispatch(effSetProgram, 0, program);
    EXPECT_EQ(instrument.dispatch(effGetProgram), 1) << program;
  }
}
#endif

TEST_F(ProgramsAndParameters, ParametersOutsideZeroToSevenReadZeroAndAreNotStored) {
  for (VstInt32 index : {8, -1, 1000, INT32_MIN, INT32_MAX}) {
    instrument.setParameter(index, 0.9f);
    EXPECT_EQ(instrument.parameter(index), 0.0f) << index;
  }
  for (int index = 0; index < 8; ++index) EXPECT_EQ(instrument.parameter(index), kInitialValues[index]) << index;
}

TEST_F(ProgramsAndParameters, SetParameterStoresInTheCurrentProgramOnly) {
  instrument.dispatch(effSetProgram, 0, 1);
  instrument.setParameter(6, 0.2f);
  instrument.setParameter(0, 1.5f);  // values are never clamped
  EXPECT_EQ(instrument.parameter(6), 0.2f);
  EXPECT_EQ(instrument.parameter(0), 1.5f);

  instrument.dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(instrument.parameter(6), kInitialValues[6]);
  EXPECT_EQ(instrument.parameter(0), kInitialValues[0]);

  instrument.dispatch(effSetProgram, 0, 1);  // applying a program keeps its values
  EXPECT_EQ(instrument.parameter(6), 0.2f);
  EXPECT_EQ(instrument.parameter(0), 1.5f);
}

TEST_F(ProgramsAndParameters, RenamedProgramKeepsItsNameAcrossProgramChanges) {
  instrument.dispatch(effSetProgram, 0, 2);
  char name[32] = "Glass Pad";
  EXPECT_EQ(instrument.dispatch(effSetProgramName, 0, 0, name), 0);
  EXPECT_EQ(instrument.programName(), "Glass Pad");
  instrument.dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(instrument.programName(), "Default 0");
  instrument.dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(instrument.programName(), "Glass Pad");
}

TEST_F(ProgramsAndParameters, EmptyNameIsKept) {
  char name[8] = "";
  instrument.dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(instrument.programName(), "");
}

// A host's name buffer is 24 bytes: a name must come back terminated inside
// them, so anything from 24 characters on is cut to 23.
TEST_F(ProgramsAndParameters, LongNamesComeBackCutTo23CharactersAndTerminated) {
  const struct {
    std::string given;
    std::string kept;
  } cases[] = {
      {std::string(23, 'a'), std::string(23, 'a')},
      {std::string(24, 'b'), std::string(23, 'b')},
      {"0123456789abcdefghijklmnopqrstuvwxyz", "0123456789abcdefghijklm"},
      {std::string(200, 'c'), std::string(23, 'c')},
  };
  for (const auto& c : cases) {
    std::string given = c.given;
    instrument.dispatch(effSetProgramName, 0, 0, &given[0]);

    char buffer[64];
    std::memset(buffer, 0x5A, sizeof buffer);
    instrument.dispatch(effGetProgramName, 0, 0, buffer);
    const void* terminator = std::memchr(buffer, '\0', 24);
    ASSERT_NE(terminator, nullptr) << "no terminator within 24 bytes for a name of " << c.given.size();
    EXPECT_EQ(std::string(buffer), c.kept);
    for (size_t i = 24; i < sizeof buffer; ++i) {
      ASSERT_EQ(static_cast<unsigned char>(buffer[i]), 0x5A) << "wrote past the host's 24 bytes at " << i;
    }
  }
}

// The name survives a trip through another program.
TEST_F(ProgramsAndParameters, CutNameIsStoredCut) {
  std::string given(40, 'z');
  instrument.dispatch(effSetProgramName, 0, 0, &given[0]);
  instrument.dispatch(effSetProgram, 0, 1);
  instrument.dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(instrument.programName(), std::string(23, 'z'));
}

}  // namespace
