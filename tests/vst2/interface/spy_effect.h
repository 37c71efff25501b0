// Plug-in classes built on the bases, for driving the bases directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vst2/interface/editor_base.h"
#include "vst2/interface/effect_base_x.h"

/// Only what every plug-in must add to the bases; everything else is base behaviour.
class PlainEffect : public EffectBaseX {
 public:
  explicit PlainEffect(audioMasterCallback host, int32_t numPrograms = 4, int32_t numParams = 8)
      : EffectBaseX(host, numPrograms, numParams) {}
  void process(float**, float**, int32_t) override {}
};

/// One call that reached a replaced operation, its arguments widened to
/// VstIntPtr: pointers as addresses, truth values as 0/1 and floats by value
/// (the tests pass whole-numbered floats, so the conversion is exact).
struct Forwarded {
  std::string operation;
  std::vector<VstIntPtr> arguments;
  bool operator==(const Forwarded& other) const {
    return operation == other.operation && arguments == other.arguments;
  }
};

/// Replaces every operation a dispatcher opcode reaches, records each call and
/// answers `reply` (converted to the operation's result type).
class SpyEffect : public PlainEffect {
 public:
  using PlainEffect::PlainEffect;

  std::vector<Forwarded> trace;
  VstIntPtr reply = 0;
  float vuReply = 0.0f;

  static VstIntPtr address(const void* pointer) { return reinterpret_cast<VstIntPtr>(pointer); }

  // EffectBase operations.
  void open() override { note("open", {}); }
  void close() override { note("close", {}); }
  int32_t getProgram() override { return static_cast<int32_t>(note("getProgram", {})); }
  void setProgram(int32_t program) override { note("setProgram", {program}); }
  void setProgramName(char* text) override { note("setProgramName", {address(text)}); }
  void getProgramName(char* text) override { note("getProgramName", {address(text)}); }
  void getParameterLabel(int32_t index, char* text) override { note("getParameterLabel", {index, address(text)}); }
  void getParameterDisplay(int32_t index, char* text) override {
    note("getParameterDisplay", {index, address(text)});
  }
  void getParameterName(int32_t index, char* text) override { note("getParameterName", {index, address(text)}); }
  float getVu() override {
    note("getVu", {});
    return vuReply;
  }
  int32_t getChunk(void** data, bool isPreset) override {
    return static_cast<int32_t>(note("getChunk", {address(data), isPreset}));
  }
  int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override {
    return static_cast<int32_t>(note("setChunk", {address(data), byteSize, isPreset}));
  }
  void setSampleRate(float rate) override { note("setSampleRate", {static_cast<VstIntPtr>(rate)}); }
  void setBlockSize(int32_t frames) override { note("setBlockSize", {frames}); }
  void suspend() override { note("suspend", {}); }
  void resume() override { note("resume", {}); }

  // EffectBaseX operations.
  int32_t processEvents(VstEvents* events) override {
    return static_cast<int32_t>(note("processEvents", {address(events)}));
  }
  bool canBeAutomated(int32_t index) override { return note("canBeAutomated", {index}) != 0; }
  bool string2Parameter(int32_t index, char* text) override {
    return note("string2Parameter", {index, address(text)}) != 0;
  }
  int32_t getNumProgramCategories() override { return static_cast<int32_t>(note("getNumProgramCategories", {})); }
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override {
    return note("getProgramNameIndexed", {category, index, address(text)}) != 0;
  }
  bool copyProgram(int32_t destination) override { return note("copyProgram", {destination}) != 0; }
  void connectInput(int32_t index, bool state) override { note("connectInput", {index, state}); }
  void connectOutput(int32_t index, bool state) override { note("connectOutput", {index, state}); }
  bool getInputProperties(int32_t index, VstPinProperties* properties) override {
    return note("getInputProperties", {index, address(properties)}) != 0;
  }
  bool getOutputProperties(int32_t index, VstPinProperties* properties) override {
    return note("getOutputProperties", {index, address(properties)}) != 0;
  }
  int32_t getPlugCategory() override { return static_cast<int32_t>(note("getPlugCategory", {})); }
  int32_t getCurrentPosition() override { return static_cast<int32_t>(note("getCurrentPosition", {})); }
  float* getDestinationBuffer() override { return reinterpret_cast<float*>(note("getDestinationBuffer", {})); }
  bool offlineNotify(void* files, int32_t count, bool start) override {
    return note("offlineNotify", {address(files), count, start}) != 0;
  }
  bool offlinePrepare(void* task, int32_t count) override { return note("offlinePrepare", {address(task), count}) != 0; }
  bool offlineRun(void* task, int32_t count) override { return note("offlineRun", {address(task), count}) != 0; }
  bool processVarIo(void* varIo) override { return note("processVarIo", {address(varIo)}) != 0; }
  bool setSpeakerArrangement(void* pluginInput, void* pluginOutput) override {
    return note("setSpeakerArrangement", {address(pluginInput), address(pluginOutput)}) != 0;
  }
  void setBlockSizeAndSampleRate(int32_t frames, float rate) override {
    note("setBlockSizeAndSampleRate", {frames, static_cast<VstIntPtr>(rate)});
  }
  bool setBypass(bool state) override { return note("setBypass", {state}) != 0; }
  bool getEffectName(char* text) override { return note("getEffectName", {address(text)}) != 0; }
  bool getErrorText(char* text) override { return note("getErrorText", {address(text)}) != 0; }
  bool getVendorString(char* text) override { return note("getVendorString", {address(text)}) != 0; }
  bool getProductString(char* text) override { return note("getProductString", {address(text)}) != 0; }
  int32_t getVendorVersion() override { return static_cast<int32_t>(note("getVendorVersion", {})); }
  int32_t vendorSpecific(int32_t index, VstIntPtr value, void* ptr, float opt) override {
    return static_cast<int32_t>(note("vendorSpecific", {index, value, address(ptr), static_cast<VstIntPtr>(opt)}));
  }
  int32_t canDo(char* text) override { return static_cast<int32_t>(note("canDo", {address(text)})); }
  void* getIcon() override { return reinterpret_cast<void*>(note("getIcon", {})); }
  bool setViewPosition(int32_t x, int32_t y) override { return note("setViewPosition", {x, y}) != 0; }
  int32_t getTailSize() override { return static_cast<int32_t>(note("getTailSize", {})); }
  int32_t effectIdle() override { return static_cast<int32_t>(note("effectIdle", {})); }
  bool getParameterProperties(int32_t index, void* properties) override {
    return note("getParameterProperties", {index, address(properties)}) != 0;
  }
  bool keysRequired() override { return note("keysRequired", {}) != 0; }
  int32_t getVstVersion() override { return static_cast<int32_t>(note("getVstVersion", {})); }

 private:
  VstIntPtr note(const char* operation, std::vector<VstIntPtr> arguments) {
    trace.push_back({operation, std::move(arguments)});
    return reply;
  }
};

/// An editor that records what the edit opcodes ask of it and whether it was destroyed.
class SpyEditor : public EditorBase {
 public:
  SpyEditor(EffectBase* effect, bool* destroyed) : EditorBase(effect), destroyed(destroyed) {}
  ~SpyEditor() override {
    if (destroyed != nullptr) *destroyed = true;
  }

  int32_t getRect(ERect** rect) override {
    *rect = &area;
    return 1;
  }
  int32_t open(void* parent) override {
    openedWith = parent;
    return 1;
  }
  void close() override { ++closes; }
  void update() override { ++updates; }

  ERect area{0, 0, 200, 300};
  void* openedWith = nullptr;
  int closes = 0;
  int updates = 0;

 private:
  bool* destroyed;
};
