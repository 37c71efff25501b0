// Every opcode a host can send, with the instrument's answer to each, and
// proof that opcodes which only answer leave the instrument as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "loaded_instrument.h"
#include "recording_host.h"

namespace {

// What the host lends the plug-in for one call. Everything starts as a marker
// pattern so that any byte the plug-in writes can be seen.
struct HostMemory {
  HostMemory() {
    std::memset(this, 0x5A, sizeof *this);
    rect = reinterpret_cast<ERect*>(&marker);
    chunk = &marker;
    events.numEvents = 0;
  }
  char text[256];
  ERect* rect;
  void* chunk;
  VstEvents events;
  VstPinProperties pin;
  int marker;
};

enum class Lent { Nothing, Text, RectSlot, ChunkSlot, Events, Pin };

void* lend(HostMemory& memory, Lent lent) {
  switch (lent) {
    case Lent::Nothing: return nullptr;
    case Lent::Text: return memory.text;
    case Lent::RectSlot: return &memory.rect;
    case Lent::ChunkSlot: return &memory.chunk;
    case Lent::Events: return &memory.events;
    case Lent::Pin: return &memory.pin;
  }
  return nullptr;
}

struct OpcodeCase {
  const char* label;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  Lent lent;
  const char* input;  // copied into the text when not null
  float opt;
  VstIntPtr answer;
  /// Checks what the call wrote; when absent, the lent memory must be untouched.
  std::function<void(const HostMemory&)> wrote;
  /// Whether the call may change programs, names or values (checked by its own test).
  bool changesPrograms;
};

std::ostream& operator<<(std::ostream& out, const OpcodeCase& c) { return out << c.label; }

void emptyText(const HostMemory& memory) { EXPECT_EQ(memory.text[0], '\0'); }

void outputPin(const HostMemory& memory, const char* label) {
  EXPECT_STREQ(memory.pin.label, label);
  EXPECT_EQ(memory.pin.flags, kVstPinIsActive | kVstPinIsStereo);
  HostMemory pristine;
  EXPECT_EQ(memory.pin.arrangementType, pristine.pin.arrangementType);
  EXPECT_EQ(std::memcmp(memory.pin.shortLabel, pristine.pin.shortLabel, sizeof memory.pin.shortLabel), 0);
  EXPECT_EQ(std::memcmp(memory.pin.future, pristine.pin.future, sizeof memory.pin.future), 0);
}

// The instrument's own blob; its contents are the chunk tests' business.
void handsOutABlob(const HostMemory& memory) {
  EXPECT_NE(memory.chunk, nullptr);
  EXPECT_NE(memory.chunk, &memory.marker);
}

const OpcodeCase kCases[] = {
    {"effOpen", effOpen, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetProgram", effSetProgram, 0, 3, Lent::Nothing, nullptr, 0, 0, {}, true},
    {"effGetProgram", effGetProgram, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetProgramName", effSetProgramName, 0, 0, Lent::Text, "Renamed", 0, 0, {}, true},
    {"effGetProgramName", effGetProgramName, 0, 0, Lent::Text, nullptr, 0, 0,
     [](const HostMemory& m) { EXPECT_STREQ(m.text, "Default 0"); }, false},
    {"effGetParamLabel", effGetParamLabel, 0, 0, Lent::Text, nullptr, 0, 0, emptyText, false},
    {"effGetParamDisplay", effGetParamDisplay, 6, 0, Lent::Text, nullptr, 0, 0, emptyText, false},
    {"effGetParamName", effGetParamName, 7, 0, Lent::Text, nullptr, 0, 0, emptyText, false},
    {"effGetVu", effGetVu, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetSampleRate", effSetSampleRate, 0, 0, Lent::Nothing, nullptr, 48000.0f, 0, {}, false},
    {"effSetBlockSize", effSetBlockSize, 0, 512, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effMainsChangedOff", effMainsChanged, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effMainsChangedOn", effMainsChanged, 0, 1, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditGetRect", effEditGetRect, 0, 0, Lent::RectSlot, nullptr, 0, 1,
     [](const HostMemory& m) {
       ASSERT_NE(m.rect, nullptr);
       EXPECT_EQ(m.rect->top, 0);
       EXPECT_EQ(m.rect->left, 0);
       EXPECT_EQ(m.rect->bottom, 200);
       EXPECT_EQ(m.rect->right, 300);
     },
     false},
    {"effEditClose", effEditClose, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditDraw", effEditDraw, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effEditMouse", effEditMouse, 10, 20, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditKey", effEditKey, 0, 65, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditIdle", effEditIdle, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditTop", effEditTop, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effEditSleep", effEditSleep, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effIdentify", effIdentify, 0, 0, Lent::Nothing, nullptr, 0, 0x4E764566, {}, false},
    {"effGetChunk", effGetChunk, 0, 0, Lent::ChunkSlot, nullptr, 0, 244, handsOutABlob, false},
    {"effGetChunkPreset", effGetChunk, 1, 0, Lent::ChunkSlot, nullptr, 0, 76, handsOutABlob, false},
    {"effSetChunk", effSetChunk, 0, 16, Lent::Text, nullptr, 0, 0, {}, false},  // refused: not a blob of ours
    {"effProcessEvents", effProcessEvents, 0, 0, Lent::Events, nullptr, 0, 1, {}, false},
    {"effCanBeAutomated", effCanBeAutomated, 0, 0, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effCanBeAutomatedAnyIndex", effCanBeAutomated, 1000, 0, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effString2Parameter", effString2Parameter, 0, 0, Lent::Text, "0.25", 0, 0, {}, false},
    {"effGetNumProgramCategories", effGetNumProgramCategories, 0, 0, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effGetProgramNameIndexed", effGetProgramNameIndexed, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effGetProgramNameIndexedOther", effGetProgramNameIndexed, 3, -1, Lent::Text, nullptr, 0, 0, {}, false},
    {"effCopyProgram", effCopyProgram, 1, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effConnectInput", effConnectInput, 0, 1, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effConnectOutput", effConnectOutput, 1, 0, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effGetInputProperties", effGetInputProperties, 0, 0, Lent::Pin, nullptr, 0, 0, {}, false},
    {"effGetOutputProperties0", effGetOutputProperties, 0, 0, Lent::Pin, nullptr, 0, 1,
     [](const HostMemory& m) { outputPin(m, "Qrl 01"); }, false},
    {"effGetOutputProperties1", effGetOutputProperties, 1, 0, Lent::Pin, nullptr, 0, 1,
     [](const HostMemory& m) { outputPin(m, "Qrl 02"); }, false},
    {"effGetOutputProperties2", effGetOutputProperties, 2, 0, Lent::Pin, nullptr, 0, 0, {}, false},
    {"effGetOutputPropertiesNegative", effGetOutputProperties, -1, 0, Lent::Pin, nullptr, 0, 0, {}, false},
    {"effGetPlugCategory", effGetPlugCategory, 0, 0, Lent::Nothing, nullptr, 0, kPlugCategSynth, {}, false},
    {"effGetCurrentPosition", effGetCurrentPosition, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effGetDestinationBuffer", effGetDestinationBuffer, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effOfflineNotify", effOfflineNotify, 1, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effOfflinePrepare", effOfflinePrepare, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effOfflineRun", effOfflineRun, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effProcessVarIo", effProcessVarIo, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetSpeakerArrangement", effSetSpeakerArrangement, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetBlockSizeAndSampleRate", effSetBlockSizeAndSampleRate, 0, 512, Lent::Nothing, nullptr, 48000.0f, 1, {},
     false},
    {"effSetBypass", effSetBypass, 0, 1, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effGetEffectName", effGetEffectName, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effGetErrorText", effGetErrorText, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effGetVendorString", effGetVendorString, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effGetProductString", effGetProductString, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effGetVendorVersion", effGetVendorVersion, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effVendorSpecific", effVendorSpecific, 1, 2, Lent::Text, nullptr, 3.0f, 0, {}, false},
    {"effCanDo", effCanDo, 0, 0, Lent::Text, "receiveVstEvents", 0, 1, {}, false},
    {"effGetTailSize", effGetTailSize, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effIdle", effIdle, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effGetIcon", effGetIcon, 0, 0, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effSetViewPosition", effSetViewPosition, 10, 20, Lent::Nothing, nullptr, 0, 0, {}, false},
    {"effGetParameterProperties", effGetParameterProperties, 0, 0, Lent::Text, nullptr, 0, 0, {}, false},
    {"effKeysRequired", effKeysRequired, 0, 0, Lent::Nothing, nullptr, 0, 1, {}, false},
    {"effGetVstVersion", effGetVstVersion, 0, 0, Lent::Nothing, nullptr, 0, 2, {}, false},
    {"unknown59", 59, 1, 1, Lent::Text, nullptr, 1.0f, 0, {}, false},
    {"unknownMinus1", -1, 1, 1, Lent::Text, nullptr, 1.0f, 0, {}, false},
    {"unknown1000", 1000, 1, 1, Lent::Text, nullptr, 1.0f, 0, {}, false},
};

class Opcode : public ::testing::TestWithParam<OpcodeCase> {};
class AnsweringOpcode : public ::testing::TestWithParam<OpcodeCase> {};

TEST_P(Opcode, AnswersAsTheInstrumentShould) {
  const OpcodeCase& c = GetParam();
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  HostMemory memory;
  if (c.input != nullptr) std::strcpy(memory.text, c.input);
  HostMemory lentBefore;
  std::memcpy(&lentBefore, &memory, sizeof memory);  // bytes, padding included

  EXPECT_EQ(instrument.dispatch(c.opcode, c.index, c.value, lend(memory, c.lent), c.opt), c.answer);

  if (c.wrote) {
    c.wrote(memory);
  } else {
    EXPECT_EQ(std::memcmp(&memory, &lentBefore, sizeof memory), 0) << "the host's memory was written";
  }
}

TEST_P(AnsweringOpcode, ChangesNothingTheHostCanReadBack) {
  const OpcodeCase& c = GetParam();
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  instrument.dispatch(effSetProgram, 0, 1);  // a current program other than 0 shows a stray reset
  instrument.setParameter(2, 0.125f);
  const ObservableState before = observe(instrument);
  host.forget();

  HostMemory memory;
  if (c.input != nullptr) std::strcpy(memory.text, c.input);
  instrument.dispatch(c.opcode, c.index, c.value, lend(memory, c.lent), c.opt);

  EXPECT_TRUE(observe(instrument) == before);
  const bool asksForMidi = c.opcode == effMainsChanged && c.value != 0;
  EXPECT_EQ(host.calls().size(), asksForMidi ? 1u : 0u);
}

std::string caseName(const ::testing::TestParamInfo<OpcodeCase>& info) { return info.param.label; }

// Program and name changes have their own tests; every other opcode only answers.
std::vector<OpcodeCase> answeringCases() {
  std::vector<OpcodeCase> answering;
  for (const OpcodeCase& c : kCases) {
    if (!c.changesPrograms) answering.push_back(c);
  }
  return answering;
}

INSTANTIATE_TEST_SUITE_P(EveryOpcode, Opcode, ::testing::ValuesIn(kCases), caseName);
INSTANTIATE_TEST_SUITE_P(EveryOpcode, AnsweringOpcode, ::testing::ValuesIn(answeringCases()), caseName);

// A host may pass a null pointer where a buffer belongs; the instrument must
// neither crash nor change.
TEST_P(AnsweringOpcode, NullPointerFromTheHostIsHarmless) {
  const OpcodeCase& c = GetParam();
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  const ObservableState before = observe(instrument);
  instrument.dispatch(c.opcode, c.index, c.value, nullptr, c.opt);
  EXPECT_TRUE(observe(instrument) == before);
}

TEST(NullPointer, RenamingWithoutATextKeepsTheName) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  instrument.dispatch(effSetProgramName, 0, 0, nullptr);
  instrument.dispatch(effGetProgramName, 0, 0, nullptr);
  EXPECT_EQ(instrument.programName(), "Default 0");
}

// effClose is tested on its own and effEditOpen needs a real parent window;
// every other opcode of the interface must have a row above.
TEST(OpcodeTable, CoversEveryOpcodeOfTheInterface) {
  std::set<VstInt32> covered;
  for (const OpcodeCase& c : kCases) covered.insert(c.opcode);
  for (VstInt32 opcode = effOpen; opcode <= effGetVstVersion; ++opcode) {
    if (opcode == effClose || opcode == effEditOpen) continue;
    EXPECT_EQ(covered.count(opcode), 1u) << "no row for opcode " << opcode;
  }
}

TEST(CanDo, AnswersYesToItsThreeTextsOnlyAndComparesExactly) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  const struct {
    const char* text;
    VstIntPtr answer;
  } cases[] = {{"receiveVstEvents", 1},  {"receiveVstMidiEvent", 1}, {"midiProgramNames", 1},
               {"sendVstMidiEvent", -1}, {"ReceiveVstEvents", -1},   {"receivevstevents", -1},
               {"receiveVstEvent", -1},  {"receiveVstEventsX", -1},  {"", -1}};
  for (const auto& c : cases) {
    char text[64];
    std::strcpy(text, c.text);
    EXPECT_EQ(instrument.dispatch(effCanDo, 0, 0, text), c.answer) << '"' << c.text << '"';
  }
}

TEST(Resume, AsksTheHostForMidiOnceEachTime) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  host.forget();

  instrument.dispatch(effMainsChanged, 0, 1);
  ASSERT_EQ(host.calls().size(), 1u);
  const HostCall& call = host.calls()[0];
  EXPECT_EQ(call.effect, instrument.record());
  EXPECT_EQ(call.opcode, audioMasterWantMidi);
  EXPECT_EQ(call.index, 0);
  EXPECT_EQ(call.value, 1);
  EXPECT_EQ(call.ptr, nullptr);
  EXPECT_EQ(call.opt, 0.0f);

  instrument.dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(host.calls().size(), 1u) << "suspend must not call the host";
  instrument.dispatch(effMainsChanged, 0, 1);
  instrument.dispatch(effMainsChanged, 0, 2);
  EXPECT_EQ(host.callsOf(audioMasterWantMidi).size(), 3u);
  EXPECT_EQ(host.calls().size(), 3u);
}

}  // namespace
