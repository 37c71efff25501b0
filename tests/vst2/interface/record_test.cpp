// The record a freshly built base hands out, the setters that change it, and
// the five entry functions that lead from the record back to the object.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "spy_effect.h"

namespace {

TEST(BaseRecord, HoldsTheBaseDefaultsAfterConstruction) {
  PlainEffect effect(nullptr, 3, 5);
  const AEffect& record = *effect.record();
  EXPECT_EQ(record.magic, 0x56737450);
  EXPECT_EQ(record.numPrograms, 3);
  EXPECT_EQ(record.numParams, 5);
  EXPECT_EQ(record.numInputs, 1);
  EXPECT_EQ(record.numOutputs, 2);
  EXPECT_EQ(record.flags, 0);
  EXPECT_EQ(record.resvd1, 0);
  EXPECT_EQ(record.resvd2, 0);
  EXPECT_EQ(record.initialDelay, 0);
  EXPECT_EQ(record.realQualities, 0);
  EXPECT_EQ(record.offQualities, 0);
  EXPECT_EQ(record.ioRatio, 1.0f);
  EXPECT_EQ(record.object, static_cast<void*>(static_cast<EffectBase*>(&effect)));
  EXPECT_EQ(record.user, nullptr);
  EXPECT_EQ(record.uniqueID, 0x4E6F4566);  // 'NoEf'
  EXPECT_EQ(record.version, 1);
  EXPECT_NE(record.dispatcher, nullptr);
  EXPECT_NE(record.process, nullptr);
  EXPECT_NE(record.processReplacing, nullptr);
  EXPECT_NE(record.setParameter, nullptr);
  EXPECT_NE(record.getParameter, nullptr);
  for (char byte : record.future) EXPECT_EQ(byte, 0);
  EXPECT_EQ(effect.getProgram(), 0);
  EXPECT_EQ(effect.currentSampleRate(), 44100.0f);
  EXPECT_EQ(effect.currentBlockSize(), 1024);
}

struct FlagSetter {
  const char* name;
  VstInt32 bit;
  std::function<void(EffectBaseX&, bool)> set;
};

const std::vector<FlagSetter>& flagSetters() {
  static const std::vector<FlagSetter> setters = {
      {"setFlagHasClip", effFlagsHasClip, [](EffectBaseX& e, bool s) { e.setFlagHasClip(s); }},
      {"setFlagHasVu", effFlagsHasVu, [](EffectBaseX& e, bool s) { e.setFlagHasVu(s); }},
      {"setFlagCanMono", effFlagsCanMono, [](EffectBaseX& e, bool s) { e.setFlagCanMono(s); }},
      {"canProcessReplacing", effFlagsCanReplacing, [](EffectBaseX& e, bool s) { e.canProcessReplacing(s); }},
      {"setFlagProgramChunks", effFlagsProgramChunks, [](EffectBaseX& e, bool s) { e.setFlagProgramChunks(s); }},
      {"isSynth", effFlagsIsSynth, [](EffectBaseX& e, bool s) { e.isSynth(s); }},
      {"setFlagNoSoundInStop", effFlagsNoSoundInStop, [](EffectBaseX& e, bool s) { e.setFlagNoSoundInStop(s); }},
      {"setFlagExtIsAsync", effFlagsExtIsAsync, [](EffectBaseX& e, bool s) { e.setFlagExtIsAsync(s); }},
      {"setFlagExtHasBuffer", effFlagsExtHasBuffer, [](EffectBaseX& e, bool s) { e.setFlagExtHasBuffer(s); }},
  };
  return setters;
}

TEST(RecordFlags, EachSetterSetsAndClearsOnlyItsOwnBit) {
  for (const FlagSetter& setter : flagSetters()) {
    for (bool othersSet : {false, true}) {
      PlainEffect effect(nullptr);
      if (othersSet) {
        for (const FlagSetter& other : flagSetters()) other.set(effect, true);
        effect.attachEditor(new EditorBase(&effect));
      }
      const VstInt32 others = effect.record()->flags & ~setter.bit;
      setter.set(effect, true);
      EXPECT_EQ(effect.record()->flags, others | setter.bit) << setter.name;
      setter.set(effect, true);
      EXPECT_EQ(effect.record()->flags, others | setter.bit) << setter.name << " set twice";
      setter.set(effect, false);
      EXPECT_EQ(effect.record()->flags, others) << setter.name;
    }
  }
}

TEST(RecordFlags, AttachingAnEditorSetsTheEditorBitAndNullClearsIt) {
  PlainEffect effect(nullptr);
  effect.isSynth(true);
  bool destroyed = false;
  auto* editor = new SpyEditor(&effect, &destroyed);
  effect.attachEditor(editor);
  EXPECT_EQ(effect.record()->flags, effFlagsHasEditor | effFlagsIsSynth);
  effect.attachEditor(nullptr);
  EXPECT_EQ(effect.record()->flags, effFlagsIsSynth);
  EXPECT_FALSE(destroyed);  // detaching hands ownership back to the caller
  delete editor;
}

TEST(RecordSetters, EachWritesItsOwnField) {
  PlainEffect effect(nullptr);
  effect.setUniqueID(0x51726C20);
  effect.setNumInputs(0);
  effect.setNumOutputs(6);
  effect.setRealQualities(7);
  effect.setOffQualities(8);
  effect.setInitialDelay(9);
  const AEffect& record = *effect.record();
  EXPECT_EQ(record.uniqueID, 0x51726C20);
  EXPECT_EQ(record.numInputs, 0);
  EXPECT_EQ(record.numOutputs, 6);
  EXPECT_EQ(record.realQualities, 7);
  EXPECT_EQ(record.offQualities, 8);
  EXPECT_EQ(record.initialDelay, 9);
  EXPECT_EQ(record.numPrograms, 4);
  EXPECT_EQ(record.numParams, 8);
  EXPECT_EQ(record.flags, 0);
}

// The entry functions: what the host calls through the record's pointers. The
// log lives outside the object so that it survives effClose.
struct EntryLog {
  std::vector<std::string> calls;
  float** inputs = nullptr;
  float** outputs = nullptr;
  bool destroyed = false;
};

class EntryWatch : public PlainEffect {
 public:
  explicit EntryWatch(EntryLog* log) : PlainEffect(nullptr), log(log) {}
  ~EntryWatch() override { log->destroyed = true; }

  void setParameter(int32_t index, float value) override {
    log->calls.push_back("set " + std::to_string(index) + " " + std::to_string(value));
  }
  float getParameter(int32_t index) override { return static_cast<float>(index) * 0.25f; }
  void process(float** inputs, float** outputs, int32_t frames) override { audio("process", inputs, outputs, frames); }
  void processReplacing(float** inputs, float** outputs, int32_t frames) override {
    audio("replace", inputs, outputs, frames);
  }
  VstIntPtr dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) override {
    log->calls.push_back("dispatch " + std::to_string(opcode) + " " + std::to_string(index) + " " +
                         std::to_string(value) + (ptr != nullptr ? " ptr " : " null ") + std::to_string(opt));
    return opcode == effClose ? 0 : 41;
  }

 private:
  void audio(const char* which, float** inputs, float** outputs, int32_t frames) {
    log->calls.push_back(std::string(which) + " " + std::to_string(frames));
    log->inputs = inputs;
    log->outputs = outputs;
  }
  EntryLog* log;
};

TEST(EntryFunctions, PassEveryCallToTheObjectUnchanged) {
  EntryLog log;
  EntryWatch effect(&log);
  AEffect* record = effect.record();
  float left[4], right[4];
  float* outputs[2] = {left, right};
  float* inputs[1] = {left};

  record->setParameter(record, 3, 0.5f);
  EXPECT_EQ(record->getParameter(record, 6), 1.5f);  // exact: 6 × 0.25 is representable
  record->process(record, inputs, outputs, 17);
  EXPECT_EQ(log.inputs, inputs);
  EXPECT_EQ(log.outputs, outputs);
  record->processReplacing(record, nullptr, outputs, 64);
  EXPECT_EQ(log.inputs, nullptr);
  EXPECT_EQ(log.outputs, outputs);
  EXPECT_EQ(record->dispatcher(record, 77, 5, -6, left, 2.5f), 41);

  const std::vector<std::string> expected = {"set 3 0.500000", "process 17", "replace 64",
                                             "dispatch 77 5 -6 ptr 2.500000"};
  EXPECT_EQ(log.calls, expected);
  EXPECT_FALSE(log.destroyed);
}

TEST(EntryFunctions, CloseForwardsThenDestroysTheObjectAndItsEditorAndAnswersOne) {
  EntryLog log;
  bool editorDestroyed = false;
  auto* effect = new EntryWatch(&log);
  effect->attachEditor(new SpyEditor(effect, &editorDestroyed));
  AEffect* record = effect->record();

  EXPECT_EQ(record->dispatcher(record, effClose, 2, 3, nullptr, 0.0f), 1);  // the object itself answered 0

  const std::vector<std::string> expected = {"dispatch 1 2 3 null 0.000000"};
  EXPECT_EQ(log.calls, expected);
  EXPECT_TRUE(log.destroyed);
  EXPECT_TRUE(editorDestroyed);
}

}  // namespace
