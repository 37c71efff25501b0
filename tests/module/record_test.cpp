// What main hands the host: the exported names, the record's bytes at the
// interface's own offsets, refusal of a host that gives no version, and
// independent, closable instances.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "loaded_instrument.h"
#include "recording_host.h"

namespace {

constexpr bool kPointers32 = sizeof(void*) == 4;

// Field offsets as hosts know them: the published 32-bit layout, and the
// layout 64-bit hosts use (pointer-sized words aligned to eight bytes).
struct Field {
  const char* name;
  size_t offset32;
  size_t offset64;
  bool pointerSized;
};

constexpr Field kMagic{"magic", 0, 0, false};
constexpr Field kDispatcher{"dispatcher", 4, 8, true};
constexpr Field kProcess{"process", 8, 16, true};
constexpr Field kSetParameter{"setParameter", 12, 24, true};
constexpr Field kGetParameter{"getParameter", 16, 32, true};
constexpr Field kNumPrograms{"numPrograms", 20, 40, false};
constexpr Field kNumParams{"numParams", 24, 44, false};
constexpr Field kNumInputs{"numInputs", 28, 48, false};
constexpr Field kNumOutputs{"numOutputs", 32, 52, false};
constexpr Field kFlags{"flags", 36, 56, false};
constexpr Field kResvd1{"resvd1", 40, 64, true};
constexpr Field kResvd2{"resvd2", 44, 72, true};
constexpr Field kInitialDelay{"initialDelay", 48, 80, false};
constexpr Field kRealQualities{"realQualities", 52, 84, false};
constexpr Field kOffQualities{"offQualities", 56, 88, false};
constexpr Field kIoRatio{"ioRatio", 60, 92, false};
constexpr Field kObject{"object", 64, 96, true};
constexpr Field kUser{"user", 68, 104, true};
constexpr Field kUniqueId{"uniqueID", 72, 112, false};
constexpr Field kVersion{"version", 76, 116, false};
constexpr Field kProcessReplacing{"processReplacing", 80, 120, true};
constexpr size_t kFutureOffset = kPointers32 ? 84 : 128;
constexpr size_t kFutureBytes = 60;
constexpr size_t kRecordBytes = kPointers32 ? 144 : 192;

class RecordBytes {
 public:
  explicit RecordBytes(const AEffect* record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    raw.assign(bytes, bytes + kRecordBytes);
  }
  int32_t word(const Field& field) const {
    int32_t value;
    std::memcpy(&value, &raw[offset(field)], sizeof value);
    return value;
  }
  intptr_t pointerWord(const Field& field) const {
    intptr_t value;
    std::memcpy(&value, &raw[offset(field)], sizeof value);
    return value;
  }
  float real(const Field& field) const {
    float value;
    std::memcpy(&value, &raw[offset(field)], sizeof value);
    return value;
  }
  const unsigned char* at(size_t offset) const { return &raw[offset]; }

 private:
  static size_t offset(const Field& field) { return kPointers32 ? field.offset32 : field.offset64; }
  std::vector<unsigned char> raw;
};

TEST(ModuleExports, BothEntryNamesResolveAndBuildAnInstance) {
  for (const char* name : {"VSTPluginMain", "main"}) {
    VstPluginMainProc entry = quorlinModule().entry(name);
    ASSERT_NE(entry, nullptr) << name;
    RecordingHost host;
    LoadedInstrument instrument(RecordingHost::callback(), entry);
    ASSERT_NE(instrument.record(), nullptr) << name;
    EXPECT_EQ(instrument.record()->magic, 0x56737450) << name;
  }
}

// The typed record the tests (and quorlin-host) use must sit on the same bytes.
TEST(ModuleExports, DeclaredRecordMatchesTheLayoutHostsRead) {
  const struct {
    const Field& field;
    size_t declared;
  } fields[] = {{kMagic, offsetof(AEffect, magic)},
                {kDispatcher, offsetof(AEffect, dispatcher)},
                {kProcess, offsetof(AEffect, process)},
                {kSetParameter, offsetof(AEffect, setParameter)},
                {kGetParameter, offsetof(AEffect, getParameter)},
                {kNumPrograms, offsetof(AEffect, numPrograms)},
                {kNumParams, offsetof(AEffect, numParams)},
                {kNumInputs, offsetof(AEffect, numInputs)},
                {kNumOutputs, offsetof(AEffect, numOutputs)},
                {kFlags, offsetof(AEffect, flags)},
                {kResvd1, offsetof(AEffect, resvd1)},
                {kResvd2, offsetof(AEffect, resvd2)},
                {kInitialDelay, offsetof(AEffect, initialDelay)},
                {kRealQualities, offsetof(AEffect, realQualities)},
                {kOffQualities, offsetof(AEffect, offQualities)},
                {kIoRatio, offsetof(AEffect, ioRatio)},
                {kObject, offsetof(AEffect, object)},
                {kUser, offsetof(AEffect, user)},
                {kUniqueId, offsetof(AEffect, uniqueID)},
                {kVersion, offsetof(AEffect, version)},
                {kProcessReplacing, offsetof(AEffect, processReplacing)}};
  for (const auto& entry : fields) {
    EXPECT_EQ(entry.declared, kPointers32 ? entry.field.offset32 : entry.field.offset64) << entry.field.name;
  }
  EXPECT_EQ(offsetof(AEffect, future), kFutureOffset);
  EXPECT_EQ(sizeof(AEffect), kRecordBytes);
}

TEST(MainRecord, HoldsTheInstrumentValuesRightAfterMain) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  const RecordBytes bytes(instrument.record());

  EXPECT_EQ(bytes.word(kMagic), 0x56737450);  // 'VstP'
  EXPECT_EQ(bytes.word(kNumPrograms), 4);
  EXPECT_EQ(bytes.word(kNumParams), 8);
  EXPECT_EQ(bytes.word(kNumInputs), 0);
  EXPECT_EQ(bytes.word(kNumOutputs), 2);
  EXPECT_EQ(bytes.word(kFlags), 0x131);  // editor, replacing, program chunks, synth
  EXPECT_EQ(bytes.pointerWord(kResvd1), 0);
  EXPECT_EQ(bytes.pointerWord(kResvd2), 0);
  EXPECT_EQ(bytes.word(kInitialDelay), 0);
  EXPECT_EQ(bytes.word(kRealQualities), 0);
  EXPECT_EQ(bytes.word(kOffQualities), 0);
  EXPECT_EQ(bytes.real(kIoRatio), 1.0f);  // exact: stored constant
  EXPECT_NE(bytes.pointerWord(kObject), 0);
  EXPECT_EQ(bytes.pointerWord(kUser), 0);
  EXPECT_EQ(bytes.word(kUniqueId), 0x51726C20);  // 'Qrl '
  EXPECT_EQ(bytes.word(kVersion), 1);
  for (const Field* entry : {&kDispatcher, &kProcess, &kSetParameter, &kGetParameter, &kProcessReplacing}) {
    EXPECT_NE(bytes.pointerWord(*entry), 0) << entry->name;
  }
  for (size_t i = 0; i < kFutureBytes; ++i) EXPECT_EQ(*bytes.at(kFutureOffset + i), 0) << "future byte " << i;
}

TEST(MainRecord, AsksTheHostForItsVersionBeforeAnyRecordExists) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  ASSERT_FALSE(host.calls().empty());
  const HostCall& first = host.calls()[0];
  EXPECT_EQ(first.effect, nullptr);
  EXPECT_EQ(first.opcode, audioMasterVersion);
  EXPECT_EQ(first.index, 0);
  EXPECT_EQ(first.value, 0);
  EXPECT_EQ(first.ptr, nullptr);
  EXPECT_EQ(first.opt, 0.0f);
}

TEST(MainRecord, HostAnsweringNoVersionGetsNothing) {
  RecordingHost host;
  host.answerWith([](const HostCall&) -> VstIntPtr { return 0; });
  LoadedInstrument instrument(RecordingHost::callback());
  EXPECT_EQ(instrument.record(), nullptr);
  ASSERT_EQ(host.calls().size(), 1u);
  EXPECT_EQ(host.calls()[0].opcode, audioMasterVersion);
}

TEST(Instances, CloseAnswersOne) {
  RecordingHost host;
  LoadedInstrument instrument(RecordingHost::callback());
  ASSERT_NE(instrument.record(), nullptr);
  EXPECT_EQ(instrument.close(), 1);
}

TEST(Instances, TwoInstancesAreIndependent) {
  RecordingHost host;
  auto first = std::make_unique<LoadedInstrument>(RecordingHost::callback());
  LoadedInstrument second(RecordingHost::callback());
  ASSERT_NE(first->record(), nullptr);
  ASSERT_NE(second.record(), nullptr);
  EXPECT_NE(first->record(), second.record());
  EXPECT_NE(first->record()->object, second.record()->object);

  first->dispatch(effSetProgram, 0, 2);
  first->setParameter(6, 0.25f);
  char name[32] = "Mine";
  first->dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(second.dispatch(effGetProgram), 0);
  EXPECT_EQ(second.parameter(6), 0.999f);
  second.dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(second.programName(), "Default 2");
  EXPECT_EQ(second.parameter(6), 0.999f);

  EXPECT_EQ(first->close(), 1);
  first.reset();
  second.setParameter(1, 0.75f);
  EXPECT_EQ(second.parameter(1), 0.75f);
  EXPECT_EQ(second.programName(), "Default 2");
  EXPECT_EQ(second.dispatch(effGetProgram), 2);
  EXPECT_EQ(second.dispatch(effIdentify), 0x4E764566);
}

// Each instance's editor claims one of eight module-wide entries.
TEST(Instances, NinthLiveInstanceIsRefusedAndTheOthersKeepWorking) {
  RecordingHost host;
  std::vector<std::unique_ptr<LoadedInstrument>> live;
  for (int i = 0; i < 8; ++i) {
    live.push_back(std::make_unique<LoadedInstrument>(RecordingHost::callback()));
    ASSERT_NE(live.back()->record(), nullptr) << "instance " << i;
  }
  LoadedInstrument ninth(RecordingHost::callback());
  EXPECT_EQ(ninth.record(), nullptr);

  for (size_t i = 0; i < live.size(); ++i) {
    live[i]->dispatch(effSetProgram, 0, static_cast<VstIntPtr>(i % 4));
    EXPECT_EQ(live[i]->dispatch(effGetProgram), static_cast<VstIntPtr>(i % 4)) << "instance " << i;
  }
  EXPECT_EQ(live[3]->close(), 1);
  live.erase(live.begin() + 3);
  LoadedInstrument replacement(RecordingHost::callback());
  ASSERT_NE(replacement.record(), nullptr);
  EXPECT_EQ(replacement.programName(), "Default 0");
}

// Closing must really take an instance apart, or a long session of opening
// and closing plug-ins would run out of instances.
TEST(Instances, ClosedInstancesFreeTheirPlaceForNewOnes) {
  RecordingHost host;
  for (int round = 0; round < 3; ++round) {
    std::vector<std::unique_ptr<LoadedInstrument>> live;
    for (int i = 0; i < 8; ++i) {
      live.push_back(std::make_unique<LoadedInstrument>(RecordingHost::callback()));
      ASSERT_NE(live.back()->record(), nullptr) << "round " << round << " instance " << i;
    }
    for (auto& instrument : live) EXPECT_EQ(instrument->close(), 1);
  }
}

}  // namespace
