// Drives one instrument with a stream of host operations decoded from the
// fuzzer's bytes: dispatcher calls with any opcode and operands, parameters
// with any float, event lists of any shape, blocks of 0 to 4096 frames.
// Invariants: nothing crashes or trips a sanitizer, every output sample is
// finite, and getParameter returns what was last stored.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "instrument/synth_plugin.h"

namespace {

VstIntPtr VSTCALLBACK offlineHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int kMaxFrames = 4096;

// What the host can know of the programs: values it stored, per program.
struct ParameterModel {
  float values[SynthPlugin::kProgramCount][kParameterCount];
  int program = 0;
};

void check(bool condition) {
  if (!condition) std::abort();
}

// The size of the buffer a host passes with each opcode that takes one.
size_t bufferSizeFor(int32_t opcode) {
  switch (opcode) {
    case effGetProgramName:
    case effSetProgramName:
    case effGetProgramNameIndexed:
      return 24;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
      return 9;
    case effGetOutputProperties:
    case effGetInputProperties:
      return sizeof(VstPinProperties);
    case effEditGetRect:
      return sizeof(ERect*);
    case effGetChunk:
      return sizeof(void*);
    default:
      return 64;
  }
}

int32_t pickOpcode(FuzzedDataProvider& input) {
  int32_t opcode = input.ConsumeBool() ? input.ConsumeIntegralInRange<int32_t>(-2, 62) : input.ConsumeIntegral<int32_t>();
  // Closing ends the session and opening needs a real parent window; event
  // lists have an operation of their own.
  if (opcode == effClose || opcode == effEditOpen || opcode == effProcessEvents) return effIdentify;
  return opcode;
}

void dispatch(AEffect* effect, FuzzedDataProvider& input, ParameterModel& model) {
  int32_t opcode = pickOpcode(input);
  int32_t index = input.ConsumeIntegral<int32_t>();
  VstIntPtr value = input.ConsumeBool() ? input.ConsumeIntegralInRange<VstIntPtr>(-2, 8) : input.ConsumeIntegral<VstIntPtr>();
  float opt = input.ConsumeFloatingPoint<float>();
  // Pointer-valued operands are addresses hosts never pass as plain numbers.
  if (opcode == effSetSpeakerArrangement) value = 0;

  std::vector<char> buffer(bufferSizeFor(opcode), 0);
  std::string text = input.ConsumeRandomLengthString(64);
  std::memcpy(buffer.data(), text.c_str(), std::min(text.size(), buffer.size() - 1));
  effect->dispatcher(effect, opcode, index, value, buffer.data(), opt);

  if (opcode == effSetProgram && value >= 0 && value < SynthPlugin::kProgramCount) model.program = static_cast<int>(value);
}

void setParameter(AEffect* effect, FuzzedDataProvider& input, ParameterModel& model) {
  int32_t index = input.ConsumeIntegralInRange<int32_t>(-2, 10);
  float value;
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: value = NAN; break;
    case 1: value = input.ConsumeBool() ? INFINITY : -INFINITY; break;
    case 2: value = input.ConsumeFloatingPointInRange<float>(0.0f, 1.0f); break;
    default: value = input.ConsumeFloatingPoint<float>(); break;
  }
  effect->setParameter(effect, index, value);
  if (index >= 0 && index < kParameterCount) model.values[model.program][index] = value;
}

void sendEvents(AEffect* effect, FuzzedDataProvider& input) {
  int count = input.ConsumeIntegralInRange(0, 40);
  std::vector<VstMidiEvent> events(static_cast<size_t>(count));
  std::vector<unsigned char> listStorage(sizeof(VstEvents) + static_cast<size_t>(count) * sizeof(VstEvent*));
  VstEvents* list = reinterpret_cast<VstEvents*>(listStorage.data());
  list->numEvents = input.ConsumeBool() ? count : input.ConsumeIntegralInRange(-3, count);
  for (int i = 0; i < count; ++i) {
    VstMidiEvent& event = events[static_cast<size_t>(i)];
    std::memset(&event, 0, sizeof event);
    event.type = input.ConsumeBool() ? kVstMidiType : input.ConsumeIntegral<int32_t>();
    event.byteSize = input.ConsumeIntegral<int32_t>();
    event.deltaFrames = input.ConsumeBool() ? input.ConsumeIntegralInRange(-10, 600) : input.ConsumeIntegral<int32_t>();
    for (char& byte : event.midiData) byte = static_cast<char>(input.ConsumeIntegral<uint8_t>());
    list->events[i] = reinterpret_cast<VstEvent*>(&event);
  }
  effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
}

void render(AEffect* effect, FuzzedDataProvider& input, bool replacing, std::vector<float>& left, std::vector<float>& right) {
  int32_t frames = input.ConsumeIntegralInRange<int32_t>(0, kMaxFrames);
  std::fill(left.begin(), left.end(), 7.0f);
  std::fill(right.begin(), right.end(), 7.0f);
  float* outputs[2] = {left.data(), right.data()};
  if (replacing)
    effect->processReplacing(effect, nullptr, outputs, frames);
  else
    effect->process(effect, nullptr, outputs, frames);
  for (int32_t i = 0; i < frames; ++i) {
    check(std::isfinite(left[static_cast<size_t>(i)]) && std::isfinite(right[static_cast<size_t>(i)]));
    if (!replacing) check(left[static_cast<size_t>(i)] == 0.0f && right[static_cast<size_t>(i)] == 0.0f);
  }
}

void checkParameters(AEffect* effect, const ParameterModel& model) {
  for (int32_t i = 0; i < kParameterCount; ++i) {
    float got = effect->getParameter(effect, i);
    check(std::memcmp(&got, &model.values[model.program][i], sizeof got) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::unique_ptr<SynthPlugin> created;
  try {
    created.reset(new SynthPlugin(offlineHost));
  } catch (int) {
    return 0;
  }
  AEffect* effect = created.release()->record();
  ParameterModel model;
  for (int p = 0; p < SynthPlugin::kProgramCount; ++p)
    for (int i = 0; i < kParameterCount; ++i) model.values[p][i] = effect->getParameter(effect, i);

  std::vector<float> left(kMaxFrames), right(kMaxFrames);
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0: dispatch(effect, input, model); break;
      case 1: setParameter(effect, input, model); break;
      case 2: sendEvents(effect, input); break;
      case 3: render(effect, input, true, left, right); break;
      case 4: render(effect, input, false, left, right); break;
      default: checkParameters(effect, model); break;
    }
  }
  checkParameters(effect, model);
  check(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) == 1);
  return 0;
}
