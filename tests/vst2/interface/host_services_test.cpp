// The wrappers around the host callback: the opcode and operands each sends,
// what it makes of the host's answer, and what it returns without a host.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "recording_host.h"
#include "spy_effect.h"

namespace {

char text[32];
char window[8];
char task[8];
char speakers[8];

VstIntPtr at(const void* pointer) { return reinterpret_cast<VstIntPtr>(pointer); }

// How a wrapper turns the host's answer into its result.
enum class Result {
  Nothing,        // returns nothing; the test sees 0
  Answer,         // the answer itself (or the answer taken as an address)
  NonZero,        // true (1) when the answer is not 0
  Zero,           // true (1) when the answer is 0
  VersionOrOne,   // the answer, but 1 for an answer of 0
};

struct Service {
  const char* name;
  std::function<VstIntPtr(EffectBaseX&)> call;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
  Result result;
  VstIntPtr withoutHost;
};

std::ostream& operator<<(std::ostream& out, const Service& service) { return out << service.name; }

VstIntPtr expectedResult(Result result, VstIntPtr answer) {
  switch (result) {
    case Result::Nothing: return 0;
    case Result::Answer: return answer;
    case Result::NonZero: return answer != 0 ? 1 : 0;
    case Result::Zero: return answer == 0 ? 1 : 0;
    case Result::VersionOrOne: return answer == 0 ? 1 : answer;
  }
  return 0;
}

const Service kServices[] = {
    {"getMasterVersion", [](EffectBaseX& e) { return VstIntPtr{e.getMasterVersion()}; }, audioMasterVersion, 0, 0,
     nullptr, 0, Result::VersionOrOne, 1},
    {"getCurrentUniqueId", [](EffectBaseX& e) { return VstIntPtr{e.getCurrentUniqueId()}; }, audioMasterCurrentId, 0,
     0, nullptr, 0, Result::Answer, 0},
    {"masterIdle", [](EffectBaseX& e) { e.masterIdle(); return VstIntPtr{0}; }, audioMasterIdle, 0, 0, nullptr, 0,
     Result::Nothing, 0},
    {"isInputConnected", [](EffectBaseX& e) { return VstIntPtr{e.isInputConnected(3)}; }, audioMasterPinConnected, 3,
     0, nullptr, 0, Result::Zero, 1},
    {"isOutputConnected", [](EffectBaseX& e) { return VstIntPtr{e.isOutputConnected(2)}; }, audioMasterPinConnected,
     2, 1, nullptr, 0, Result::Zero, 1},
    {"wantEvents", [](EffectBaseX& e) { e.wantEvents(1); return VstIntPtr{0}; }, audioMasterWantMidi, 0, 1, nullptr,
     0, Result::Nothing, 0},
    {"getTimeInfo", [](EffectBaseX& e) { return at(e.getTimeInfo(0x0F00)); }, audioMasterGetTime, 0, 0x0F00, nullptr,
     0, Result::Answer, 0},
    {"tempoAt", [](EffectBaseX& e) { return VstIntPtr{e.tempoAt(44100)}; }, audioMasterTempoAt, 0, 44100, nullptr, 0,
     Result::Answer, 0},
    {"getNumAutomatableParameters", [](EffectBaseX& e) { return VstIntPtr{e.getNumAutomatableParameters()}; },
     audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0, Result::Answer, 0},
    {"getParameterQuantization", [](EffectBaseX& e) { return VstIntPtr{e.getParameterQuantization()}; },
     audioMasterGetParameterQuantization, 0, 0, nullptr, 0, Result::Answer, 0},
    {"ioChanged", [](EffectBaseX& e) { return VstIntPtr{e.ioChanged()}; }, audioMasterIOChanged, 0, 0, nullptr, 0,
     Result::NonZero, 0},
    {"needIdle", [](EffectBaseX& e) { return VstIntPtr{e.needIdle()}; }, audioMasterNeedIdle, 0, 0, nullptr, 0,
     Result::NonZero, 0},
    {"sizeWindow", [](EffectBaseX& e) { return VstIntPtr{e.sizeWindow(300, 200)}; }, audioMasterSizeWindow, 300, 200,
     nullptr, 0, Result::NonZero, 0},
    {"getInputLatency", [](EffectBaseX& e) { return VstIntPtr{e.getInputLatency()}; }, audioMasterGetInputLatency, 0,
     0, nullptr, 0, Result::Answer, 0},
    {"getOutputLatency", [](EffectBaseX& e) { return VstIntPtr{e.getOutputLatency()}; }, audioMasterGetOutputLatency,
     0, 0, nullptr, 0, Result::Answer, 0},
    {"getPreviousPlug", [](EffectBaseX& e) { return at(e.getPreviousPlug(5)); }, audioMasterGetPreviousPlug, 0, 0,
     nullptr, 0, Result::Answer, 0},
    {"getNextPlug", [](EffectBaseX& e) { return at(e.getNextPlug(6)); }, audioMasterGetNextPlug, 0, 0, nullptr, 0,
     Result::Answer, 0},
    {"willProcessReplacing", [](EffectBaseX& e) { return VstIntPtr{e.willProcessReplacing()}; },
     audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0, Result::Answer, 0},
    {"getCurrentProcessLevel", [](EffectBaseX& e) { return VstIntPtr{e.getCurrentProcessLevel()}; },
     audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0, Result::Answer, 0},
    {"getAutomationState", [](EffectBaseX& e) { return VstIntPtr{e.getAutomationState()}; },
     audioMasterGetAutomationState, 0, 0, nullptr, 0, Result::Answer, 0},
    {"offlineReadSource", [](EffectBaseX& e) { return VstIntPtr{e.offlineRead(task, 7, true)}; },
     audioMasterOfflineRead, 1, 7, task, 0, Result::NonZero, 0},
    {"offlineReadTarget", [](EffectBaseX& e) { return VstIntPtr{e.offlineRead(task, 7, false)}; },
     audioMasterOfflineRead, 0, 7, task, 0, Result::NonZero, 0},
    {"offlineWrite", [](EffectBaseX& e) { return VstIntPtr{e.offlineWrite(task, 8)}; }, audioMasterOfflineWrite, 0, 8,
     task, 0, Result::NonZero, 0},
    {"offlineStart", [](EffectBaseX& e) { return VstIntPtr{e.offlineStart(task, 3, 2)}; }, audioMasterOfflineStart, 2,
     3, task, 0, Result::NonZero, 0},
    {"offlineGetCurrentPass", [](EffectBaseX& e) { return VstIntPtr{e.offlineGetCurrentPass()}; },
     audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0, Result::NonZero, 0},
    {"offlineGetCurrentMetaPass", [](EffectBaseX& e) { return VstIntPtr{e.offlineGetCurrentMetaPass()}; },
     audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0, Result::NonZero, 0},
    {"setOutputSamplerate", [](EffectBaseX& e) { e.setOutputSamplerate(22050.0f); return VstIntPtr{0}; },
     audioMasterSetOutputSampleRate, 0, 0, nullptr, 22050.0f, Result::Nothing, 0},
    {"getSpeakerArrangement", [](EffectBaseX& e) { return VstIntPtr{e.getSpeakerArrangement(window, speakers)}; },
     audioMasterGetSpeakerArrangement, 0, at(window), speakers, 0, Result::NonZero, 0},
    {"getHostVendorString", [](EffectBaseX& e) { return VstIntPtr{e.getHostVendorString(text)}; },
     audioMasterGetVendorString, 0, 0, text, 0, Result::NonZero, 0},
    {"getHostProductString", [](EffectBaseX& e) { return VstIntPtr{e.getHostProductString(text)}; },
     audioMasterGetProductString, 0, 0, text, 0, Result::NonZero, 0},
    {"getHostVendorVersion", [](EffectBaseX& e) { return VstIntPtr{e.getHostVendorVersion()}; },
     audioMasterGetVendorVersion, 0, 0, nullptr, 0, Result::Answer, 0},
    {"hostVendorSpecific", [](EffectBaseX& e) { return VstIntPtr{e.hostVendorSpecific(4, 9, text, 0.75f)}; },
     audioMasterVendorSpecific, 4, 9, text, 0.75f, Result::Answer, 0},
    {"canHostDo", [](EffectBaseX& e) { return VstIntPtr{e.canHostDo(text)}; }, audioMasterCanDo, 0, 0, text, 0,
     Result::NonZero, 0},
    {"getHostLanguage", [](EffectBaseX& e) { return VstIntPtr{e.getHostLanguage()}; }, audioMasterGetLanguage, 0, 0,
     nullptr, 0, Result::Answer, 0},
    {"openWindow", [](EffectBaseX& e) { return at(e.openWindow(window)); }, audioMasterOpenWindow, 0, 0, window, 0,
     Result::Answer, 0},
    {"closeWindow", [](EffectBaseX& e) { return VstIntPtr{e.closeWindow(window)}; }, audioMasterCloseWindow, 0, 0,
     window, 0, Result::NonZero, 0},
    {"getDirectory", [](EffectBaseX& e) { return at(e.getDirectory()); }, audioMasterGetDirectory, 0, 0, nullptr, 0,
     Result::Answer, 0},
    {"updateDisplay", [](EffectBaseX& e) { return VstIntPtr{e.updateDisplay()}; }, audioMasterUpdateDisplay, 0, 0,
     nullptr, 0, Result::NonZero, 0},
};

class HostService : public ::testing::TestWithParam<Service> {};

TEST_P(HostService, SendsItsOpcodeWithItsOperandsAndTheRecord) {
  const Service& service = GetParam();
  RecordingHost host;
  PlainEffect effect(RecordingHost::callback());
  service.call(effect);

  ASSERT_EQ(host.calls().size(), 1u);
  const HostCall& call = host.calls()[0];
  EXPECT_EQ(call.effect, effect.record());
  EXPECT_EQ(call.opcode, service.opcode);
  EXPECT_EQ(call.index, service.index);
  EXPECT_EQ(call.value, service.value);
  EXPECT_EQ(call.ptr, service.ptr);
  EXPECT_EQ(call.opt, service.opt);  // exact: passed through, not computed
}

// 0 and 1 are the ordinary answers; -1 shows that any non-zero answer counts
// as true, and 7 that a plain answer is not squeezed into a truth value.
TEST_P(HostService, TurnsTheAnswerIntoItsResult) {
  const Service& service = GetParam();
  for (VstIntPtr answer : {0, 1, -1, 7}) {
    RecordingHost host;
    host.answerWith([answer](const HostCall&) { return answer; });
    PlainEffect effect(RecordingHost::callback());
    EXPECT_EQ(service.call(effect), expectedResult(service.result, answer)) << "host answered " << answer;
  }
}

TEST_P(HostService, AnswersItsDefaultWithoutAHost) {
  const Service& service = GetParam();
  RecordingHost bystander;  // must not be reached: the object has no callback
  PlainEffect effect(nullptr);
  EXPECT_EQ(service.call(effect), service.withoutHost);
  EXPECT_TRUE(bystander.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Wrappers, HostService, ::testing::ValuesIn(kServices),
                         [](const ::testing::TestParamInfo<Service>& info) { return std::string(info.param.name); });

// Records the order in which the parameter and the host learn of a change.
class AutomationWatch : public PlainEffect {
 public:
  using PlainEffect::PlainEffect;
  void setParameter(int32_t index, float value) override {
    events.push_back("set " + std::to_string(index) + " " + std::to_string(value));
  }
  std::vector<std::string> events;
};

TEST(AutomatedParameter, IsSetOnTheObjectBeforeTheHostIsTold) {
  RecordingHost host;
  AutomationWatch effect(RecordingHost::callback());
  host.answerWith([&effect](const HostCall& call) {
    effect.events.push_back("host " + std::to_string(call.opcode) + " " + std::to_string(call.index) + " " +
                            std::to_string(call.opt));
    return VstIntPtr{0};
  });
  effect.setParameterAutomated(5, 0.25f);
  const std::vector<std::string> expected = {"set 5 0.250000", "host 0 5 0.250000"};
  EXPECT_EQ(effect.events, expected);
  EXPECT_EQ(host.calls()[0].effect, effect.record());
}

TEST(AutomatedParameter, IsSetEvenWithoutAHost) {
  AutomationWatch effect(nullptr);
  effect.setParameterAutomated(2, 0.5f);
  const std::vector<std::string> expected = {"set 2 0.500000"};
  EXPECT_EQ(effect.events, expected);
}

// The host is expected to refresh the rate and block size while it handles
// the request; what counts is the value stored afterwards, not the answer.
TEST(RefreshRequests, SampleRateReturnsWhatTheHostSetDuringTheCall) {
  RecordingHost host;
  PlainEffect effect(RecordingHost::callback());
  host.answerWith([](const HostCall& call) -> VstIntPtr {
    if (call.opcode == audioMasterGetSampleRate) call.effect->dispatcher(call.effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    return 96000;
  });
  EXPECT_EQ(effect.updateSampleRate(), 48000.0f);
  EXPECT_EQ(effect.currentSampleRate(), 48000.0f);
  ASSERT_EQ(host.callsOf(audioMasterGetSampleRate).size(), 1u);
}

TEST(RefreshRequests, BlockSizeReturnsWhatTheHostSetDuringTheCall) {
  RecordingHost host;
  PlainEffect effect(RecordingHost::callback());
  host.answerWith([](const HostCall& call) -> VstIntPtr {
    if (call.opcode == audioMasterGetBlockSize) call.effect->dispatcher(call.effect, effSetBlockSize, 0, 256, nullptr, 0);
    return 4096;
  });
  EXPECT_EQ(effect.updateBlockSize(), 256);
  ASSERT_EQ(host.callsOf(audioMasterGetBlockSize).size(), 1u);
}

TEST(RefreshRequests, WithoutAHostReturnTheStoredValues) {
  PlainEffect effect(nullptr);
  effect.setSampleRate(22050.0f);
  effect.setBlockSize(32);
  EXPECT_EQ(effect.updateSampleRate(), 22050.0f);
  EXPECT_EQ(effect.updateBlockSize(), 32);
}

}  // namespace
