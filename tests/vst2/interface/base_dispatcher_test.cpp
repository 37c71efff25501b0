// The two dispatchers of the bases: which operation each opcode reaches, with
// which operands, and how the operation's result becomes the host's answer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "recording_host.h"
#include "spy_effect.h"

namespace {

// Distinct addresses that stand for the host's buffers; the spy only compares them.
char hostText[64];
VstEvents hostEvents;
VstPinProperties hostPin;
void* hostChunk;
char otherBuffer[16];

struct Routing {
  const char* label;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
  VstIntPtr reply;  // what the spy's operation answers
  Forwarded expected;
  VstIntPtr answer;  // what the host must get
};

std::ostream& operator<<(std::ostream& out, const Routing& routing) { return out << routing.label; }

VstIntPtr at(const void* pointer) { return SpyEffect::address(pointer); }

const Routing kRoutings[] = {
    {"open", effOpen, 0, 0, nullptr, 0, 9, {"open", {}}, 0},
    {"setProgram", effSetProgram, 0, 2, nullptr, 0, 9, {"setProgram", {2}}, 0},
    {"setProgramNegativePasses", effSetProgram, 0, -1, nullptr, 0, 9, {"setProgram", {-1}}, 0},
    {"getProgram", effGetProgram, 0, 0, nullptr, 0, 3, {"getProgram", {}}, 3},
    {"setProgramName", effSetProgramName, 0, 0, hostText, 0, 9, {"setProgramName", {at(hostText)}}, 0},
    {"getProgramName", effGetProgramName, 0, 0, hostText, 0, 9, {"getProgramName", {at(hostText)}}, 0},
    {"paramLabel", effGetParamLabel, 5, 0, hostText, 0, 9, {"getParameterLabel", {5, at(hostText)}}, 0},
    {"paramDisplay", effGetParamDisplay, 6, 0, hostText, 0, 9, {"getParameterDisplay", {6, at(hostText)}}, 0},
    {"paramName", effGetParamName, 7, 0, hostText, 0, 9, {"getParameterName", {7, at(hostText)}}, 0},
    {"setSampleRate", effSetSampleRate, 0, 0, nullptr, 48000.0f, 9, {"setSampleRate", {48000}}, 0},
    {"setBlockSize", effSetBlockSize, 0, 256, nullptr, 0, 9, {"setBlockSize", {256}}, 0},
    {"suspend", effMainsChanged, 0, 0, nullptr, 0, 9, {"suspend", {}}, 0},
    {"resumeOnOne", effMainsChanged, 0, 1, nullptr, 0, 9, {"resume", {}}, 0},
    {"resumeOnAnyNonZero", effMainsChanged, 0, -7, nullptr, 0, 9, {"resume", {}}, 0},
    {"getChunkProgram", effGetChunk, 0, 0, &hostChunk, 0, 77, {"getChunk", {at(&hostChunk), 0}}, 77},
    {"getChunkPreset", effGetChunk, 5, 0, &hostChunk, 0, 77, {"getChunk", {at(&hostChunk), 1}}, 77},
    {"setChunk", effSetChunk, 0, 123, hostText, 0, 55, {"setChunk", {at(hostText), 123, 0}}, 55},
    {"setChunkPreset", effSetChunk, -1, 123, hostText, 0, 55, {"setChunk", {at(hostText), 123, 1}}, 55},
    {"processEvents", effProcessEvents, 0, 0, &hostEvents, 0, 1, {"processEvents", {at(&hostEvents)}}, 1},
    {"canBeAutomated", effCanBeAutomated, 4, 0, nullptr, 0, 5, {"canBeAutomated", {4}}, 1},
    {"cannotBeAutomated", effCanBeAutomated, 4, 0, nullptr, 0, 0, {"canBeAutomated", {4}}, 0},
    {"string2Parameter", effString2Parameter, 3, 0, hostText, 0, -2, {"string2Parameter", {3, at(hostText)}}, 1},
    {"programCategories", effGetNumProgramCategories, 0, 0, nullptr, 0, 6, {"getNumProgramCategories", {}}, 6},
    {"programNameIndexed", effGetProgramNameIndexed, 2, 9, hostText, 0, 1,
     {"getProgramNameIndexed", {9, 2, at(hostText)}}, 1},
    {"copyProgram", effCopyProgram, 3, 0, nullptr, 0, 1, {"copyProgram", {3}}, 1},
    {"connectInput", effConnectInput, 1, 1, nullptr, 0, 0, {"connectInput", {1, 1}}, 1},
    {"disconnectInput", effConnectInput, 1, 0, nullptr, 0, 0, {"connectInput", {1, 0}}, 1},
    {"connectOutput", effConnectOutput, 2, 40, nullptr, 0, 0, {"connectOutput", {2, 1}}, 1},
    {"inputProperties", effGetInputProperties, 1, 0, &hostPin, 0, 1, {"getInputProperties", {1, at(&hostPin)}}, 1},
    {"outputProperties", effGetOutputProperties, 1, 0, &hostPin, 0, 0, {"getOutputProperties", {1, at(&hostPin)}},
     0},
    {"plugCategory", effGetPlugCategory, 0, 0, nullptr, 0, 2, {"getPlugCategory", {}}, 2},
    {"currentPosition", effGetCurrentPosition, 0, 0, nullptr, 0, 4, {"getCurrentPosition", {}}, 4},
    {"destinationBuffer", effGetDestinationBuffer, 0, 0, nullptr, 0, at(otherBuffer), {"getDestinationBuffer", {}},
     at(otherBuffer)},
    {"offlineNotify", effOfflineNotify, 1, 3, hostText, 0, 1, {"offlineNotify", {at(hostText), 3, 1}}, 1},
    {"offlinePrepare", effOfflinePrepare, 0, 3, hostText, 0, 1, {"offlinePrepare", {at(hostText), 3}}, 1},
    {"offlineRun", effOfflineRun, 0, 3, hostText, 0, 1, {"offlineRun", {at(hostText), 3}}, 1},
    {"processVarIo", effProcessVarIo, 0, 0, hostText, 0, 1, {"processVarIo", {at(hostText)}}, 1},
    {"speakerArrangement", effSetSpeakerArrangement, 0, at(otherBuffer), hostText, 0, 1,
     {"setSpeakerArrangement", {at(otherBuffer), at(hostText)}}, 1},
    {"blockSizeAndSampleRate", effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f, 0,
     {"setBlockSizeAndSampleRate", {512, 48000}}, 1},
    {"setBypass", effSetBypass, 0, 1, nullptr, 0, 1, {"setBypass", {1}}, 1},
    {"effectName", effGetEffectName, 0, 0, hostText, 0, 1, {"getEffectName", {at(hostText)}}, 1},
    {"errorText", effGetErrorText, 0, 0, hostText, 0, 1, {"getErrorText", {at(hostText)}}, 1},
    {"vendorString", effGetVendorString, 0, 0, hostText, 0, 1, {"getVendorString", {at(hostText)}}, 1},
    {"productString", effGetProductString, 0, 0, hostText, 0, 1, {"getProductString", {at(hostText)}}, 1},
    {"vendorVersion", effGetVendorVersion, 0, 0, nullptr, 0, 1000, {"getVendorVersion", {}}, 1000},
    {"vendorSpecific", effVendorSpecific, 4, 8, hostText, 3.0f, -5, {"vendorSpecific", {4, 8, at(hostText), 3}}, -5},
    {"canDo", effCanDo, 0, 0, hostText, 0, -1, {"canDo", {at(hostText)}}, -1},
    {"tailSize", effGetTailSize, 0, 0, nullptr, 0, 64, {"getTailSize", {}}, 64},
    {"idle", effIdle, 0, 0, nullptr, 0, 1, {"effectIdle", {}}, 1},
    {"icon", effGetIcon, 0, 0, nullptr, 0, at(otherBuffer), {"getIcon", {}}, at(otherBuffer)},
    {"viewPosition", effSetViewPosition, 10, 20, nullptr, 0, 1, {"setViewPosition", {10, 20}}, 1},
    {"parameterProperties", effGetParameterProperties, 2, 0, hostText, 0, 1,
     {"getParameterProperties", {2, at(hostText)}}, 1},
    {"keysRequiredInverted", effKeysRequired, 0, 0, nullptr, 0, 1, {"keysRequired", {}}, 0},
    {"keysNotRequired", effKeysRequired, 0, 0, nullptr, 0, 0, {"keysRequired", {}}, 1},
    {"vstVersion", effGetVstVersion, 0, 0, nullptr, 0, 2, {"getVstVersion", {}}, 2},
};

class OpcodeRouting : public ::testing::TestWithParam<Routing> {};

TEST_P(OpcodeRouting, ReachesItsOperationOnceAndConvertsTheResult) {
  const Routing& routing = GetParam();
  SpyEffect effect(nullptr);
  effect.reply = routing.reply;
  AEffect* record = effect.record();

  const VstIntPtr answer = record->dispatcher(record, routing.opcode, routing.index, routing.value, routing.ptr,
                                              routing.opt);

  ASSERT_EQ(effect.trace.size(), 1u);
  EXPECT_EQ(effect.trace[0].operation, routing.expected.operation);
  EXPECT_EQ(effect.trace[0].arguments, routing.expected.arguments);
  EXPECT_EQ(answer, routing.answer);
}

INSTANTIATE_TEST_SUITE_P(BothDispatchers, OpcodeRouting, ::testing::ValuesIn(kRoutings),
                         [](const ::testing::TestParamInfo<Routing>& info) { return std::string(info.param.label); });

TEST(BaseDispatcher, ProgramNumbersFromCountUpAreNotPassedOn) {
  SpyEffect effect(nullptr, 4, 8);
  AEffect* record = effect.record();
  for (VstIntPtr program : {4, 5, 1000}) {
    EXPECT_EQ(record->dispatcher(record, effSetProgram, 0, program, nullptr, 0), 0);
  }
  EXPECT_TRUE(effect.trace.empty());
}

TEST(BaseDispatcher, VuIsScaledBy32767AndTruncatedTowardZero) {
  SpyEffect effect(nullptr);
  AEffect* record = effect.record();
  const struct {
    float vu;
    VstIntPtr answer;
  } cases[] = {{0.0f, 0}, {1.0f, 32767}, {0.5f, 16383}, {-0.5f, -16383}};
  for (const auto& c : cases) {
    effect.vuReply = c.vu;
    EXPECT_EQ(record->dispatcher(record, effGetVu, 0, 0, nullptr, 0), c.answer) << c.vu;
  }
}

TEST(BaseDispatcher, IdentifiesAsNvEfWithoutCallingAnything) {
  SpyEffect effect(nullptr);
  AEffect* record = effect.record();
  EXPECT_EQ(record->dispatcher(record, effIdentify, 0, 0, nullptr, 0), 0x4E764566);
  EXPECT_TRUE(effect.trace.empty());
}

TEST(BaseDispatcher, OpcodesWithoutAnOperationAnswerZeroAndCallNothing) {
  RecordingHost host;
  SpyEffect effect(RecordingHost::callback());
  effect.reply = 1;
  AEffect* record = effect.record();
  AEffect before;
  std::memcpy(&before, record, sizeof before);
  const VstInt32 opcodes[] = {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep, 59, 60, 1000, -1,
                              INT32_MIN};
  for (VstInt32 opcode : opcodes) {
    EXPECT_EQ(record->dispatcher(record, opcode, 1, 1, hostText, 1.0f), 0) << opcode;
  }
  EXPECT_TRUE(effect.trace.empty());
  EXPECT_TRUE(host.calls().empty());
  EXPECT_EQ(std::memcmp(&before, record, sizeof before), 0);
}

// The answers of the bases themselves, where no operation is replaced.
TEST(BaseAnswers, OperationsNotReplacedAnswerTheirNeutralDefaults) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  const struct {
    VstInt32 opcode;
    VstIntPtr answer;
  } cases[] = {{effGetVu, 0},
               {effIdentify, 0x4E764566},
               {effProcessEvents, 0},
               {effCanBeAutomated, 1},
               {effString2Parameter, 0},
               {effGetNumProgramCategories, 1},
               {effCopyProgram, 0},
               {effConnectInput, 1},
               {effConnectOutput, 1},
               {effGetPlugCategory, kPlugCategUnknown},
               {effGetCurrentPosition, 0},
               {effGetDestinationBuffer, 0},
               {effOfflineNotify, 0},
               {effOfflinePrepare, 0},
               {effOfflineRun, 0},
               {effProcessVarIo, 0},
               {effSetSpeakerArrangement, 0},
               {effSetBypass, 0},
               {effGetVendorVersion, 0},
               {effVendorSpecific, 0},
               {effCanDo, 0},
               {effGetTailSize, 0},
               {effIdle, 0},
               {effGetIcon, 0},
               {effSetViewPosition, 0},
               {effGetParameterProperties, 0},
               {effKeysRequired, 1},
               {effGetVstVersion, 2}};
  for (const auto& c : cases) {
    char text[32] = "untouched";
    EXPECT_EQ(record->dispatcher(record, c.opcode, 0, 0, text, 0), c.answer) << c.opcode;
    EXPECT_STREQ(text, "untouched") << c.opcode;
  }
}

TEST(BaseAnswers, NameTextsAreEmptyStrings) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                          effGetParamName}) {
    char text[32] = "something";
    EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, text, 0), 0) << opcode;
    EXPECT_EQ(text[0], '\0') << opcode;
  }
}

TEST(BaseAnswers, TextRequestsAnswerZeroAndLeaveTheTextAlone) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  for (VstInt32 opcode : {effGetProgramNameIndexed, effGetEffectName, effGetErrorText, effGetVendorString,
                          effGetProductString}) {
    char text[32] = "host text";
    EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, text, 0), 0) << opcode;
    EXPECT_STREQ(text, "host text") << opcode;
  }
}

TEST(BaseAnswers, PinPropertiesAreRefusedUntouched) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
    VstPinProperties pin;
    std::memset(&pin, 0x5A, sizeof pin);
    EXPECT_EQ(record->dispatcher(record, opcode, 0, 0, &pin, 0), 0) << opcode;
    for (size_t i = 0; i < sizeof pin; ++i) {
      ASSERT_EQ(reinterpret_cast<unsigned char*>(&pin)[i], 0x5A) << opcode << " byte " << i;
    }
  }
}

TEST(BaseAnswers, ChunkRequestAnswersZeroAndLeavesTheHostPointer) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  void* chunk = otherBuffer;
  EXPECT_EQ(record->dispatcher(record, effGetChunk, 0, 0, &chunk, 0), 0);
  EXPECT_EQ(chunk, otherBuffer);
  EXPECT_EQ(record->dispatcher(record, effSetChunk, 0, sizeof otherBuffer, otherBuffer, 0), 0);
}

TEST(BaseAnswers, ProgramNumberIsTakenUncheckedBelowTheCount) {
  PlainEffect effect(nullptr, 4, 8);
  AEffect* record = effect.record();
  record->dispatcher(record, effSetProgram, 0, 3, nullptr, 0);
  EXPECT_EQ(record->dispatcher(record, effGetProgram, 0, 0, nullptr, 0), 3);
  record->dispatcher(record, effSetProgram, 0, 4, nullptr, 0);
  EXPECT_EQ(record->dispatcher(record, effGetProgram, 0, 0, nullptr, 0), 3);
}

TEST(BaseAnswers, PlugCategoryFollowsTheSynthFlag) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  effect.isSynth(true);
  EXPECT_EQ(record->dispatcher(record, effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
  effect.isSynth(false);
  EXPECT_EQ(record->dispatcher(record, effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategUnknown);
}

TEST(BaseAnswers, RateAndBlockSizeArriveThroughTheirOpcodes) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  EXPECT_EQ(effect.currentSampleRate(), 44100.0f);  // exact: stored, not computed
  EXPECT_EQ(effect.currentBlockSize(), 1024);
  record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, 96000.0f);
  record->dispatcher(record, effSetBlockSize, 0, 64, nullptr, 0);
  EXPECT_EQ(effect.currentSampleRate(), 96000.0f);
  EXPECT_EQ(effect.currentBlockSize(), 64);
}

// Hosts use this opcode to set both at once; a plug-in that reacts to the
// single setters must not see them called.
TEST(BaseAnswers, BlockSizeAndSampleRateAreStoredWithoutTheSingleSetters) {
  class SetterWatch : public PlainEffect {
   public:
    using PlainEffect::PlainEffect;
    void setSampleRate(float) override { ++setterCalls; }
    void setBlockSize(int32_t) override { ++setterCalls; }
    int setterCalls = 0;
  } effect(nullptr);
  AEffect* record = effect.record();
  EXPECT_EQ(record->dispatcher(record, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
  EXPECT_EQ(effect.currentBlockSize(), 512);
  EXPECT_EQ(effect.currentSampleRate(), 48000.0f);
  EXPECT_EQ(effect.setterCalls, 0);
}

TEST(EditOpcodes, WithoutAnEditorAnswerZeroAndTouchNothing) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  ERect* rect = reinterpret_cast<ERect*>(otherBuffer);
  EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0), 0);
  EXPECT_EQ(rect, reinterpret_cast<ERect*>(otherBuffer));
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, otherBuffer, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effEditClose, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
}

TEST(EditOpcodes, BaseEditorHasNoRectAndOnlyRemembersItsParent) {
  PlainEffect effect(nullptr);
  effect.attachEditor(new EditorBase(&effect));
  AEffect* record = effect.record();
  ERect* rect = reinterpret_cast<ERect*>(otherBuffer);
  EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0), 0);
  EXPECT_EQ(rect, nullptr);
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, otherBuffer, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effEditClose, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0), 0);
}

TEST(EditOpcodes, ReachTheAttachedEditor) {
  PlainEffect effect(nullptr);
  auto* editor = new SpyEditor(&effect, nullptr);
  effect.attachEditor(editor);
  AEffect* record = effect.record();

  ERect* rect = nullptr;
  EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0), 1);
  EXPECT_EQ(rect, &editor->area);
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, otherBuffer, 0), 1);
  EXPECT_EQ(editor->openedWith, otherBuffer);
  EXPECT_EQ(record->dispatcher(record, effEditClose, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(editor->closes, 1);
}

TEST(EditOpcodes, IdleRunsOnePostedUpdate) {
  PlainEffect effect(nullptr);
  auto* editor = new SpyEditor(&effect, nullptr);
  effect.attachEditor(editor);
  AEffect* record = effect.record();

  record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0);
  EXPECT_EQ(editor->updates, 0);
  editor->postUpdate();
  record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0);
  record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0);
  EXPECT_EQ(editor->updates, 1);
}

}  // namespace
