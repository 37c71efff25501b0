// The base of every plug-in object: owns the AEffect record the host holds,
// turns host opcodes 0..24 into virtual operations, and wraps the host
// callback so a plug-in class never calls it directly.
#pragma once

#include <atomic>
#include <cstdint>

#include "vst2/interface/editor_base.h"
#include "vst2/interface/vst2_abi.h"

class EffectBase {
 public:
  EffectBase(audioMasterCallback host, int32_t numPrograms, int32_t numParams);
  virtual ~EffectBase();

  // Virtual operations, in slot order. One line each: what the host asks,
  // what the base answers.

  /// The host sets a parameter; the base ignores it.
  virtual void setParameter(int32_t index, float value);
  /// The host reads a parameter; the base has none.
  virtual float getParameter(int32_t index);
  /// Sets a parameter and tells the host about the change.
  virtual void setParameterAutomated(int32_t index, float value);
  /// Accumulating audio callback; every plug-in must supply it.
  virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
  /// Replacing audio callback; the base writes nothing.
  virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
  /// Opcodes 0..24.
  virtual VstIntPtr dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt);
  /// The host opened the plug-in.
  virtual void open() {}
  /// The host is about to close the plug-in.
  virtual void close() {}
  /// The current program number.
  virtual int32_t getProgram();
  /// The host selects a program; the base takes the number unchecked.
  virtual void setProgram(int32_t program);
  /// The host renames the current program; the base answers an empty name.
  virtual void setProgramName(char* text);
  /// The host reads the current program's name; the base has none.
  virtual void getProgramName(char* text);
  /// The unit shown beside a parameter; empty in the base.
  virtual void getParameterLabel(int32_t index, char* text);
  /// A parameter's value as text; empty in the base.
  virtual void getParameterDisplay(int32_t index, char* text);
  /// A parameter's name; empty in the base.
  virtual void getParameterName(int32_t index, char* text);
  /// A level meter reading; none in the base.
  virtual float getVu();
  /// The host asks for the state as one block; the base has none.
  virtual int32_t getChunk(void** data, bool isPreset);
  /// The host restores a state block; the base takes none.
  virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);
  /// The host's sample rate.
  virtual void setSampleRate(float rate);
  /// The largest block the host will ask for.
  virtual void setBlockSize(int32_t frames);
  /// Audio is switched off.
  virtual void suspend() {}
  /// Audio is switched on.
  virtual void resume() {}
  virtual void setUniqueID(int32_t id);
  virtual void setNumInputs(int32_t inputs);
  virtual void setNumOutputs(int32_t outputs);
  virtual void setFlagHasVu(bool state);
  virtual void setFlagHasClip(bool state);
  virtual void setFlagCanMono(bool state);
  virtual void canProcessReplacing(bool state);
  virtual void setFlagProgramChunks(bool state);
  virtual void setRealQualities(int32_t qualities);
  virtual void setOffQualities(int32_t qualities);
  virtual void setInitialDelay(int32_t delay);
  virtual float currentSampleRate();
  virtual int32_t currentBlockSize();
  /// The host's VST version; 1 for a host that answers nothing.
  virtual int32_t getMasterVersion();
  virtual int32_t getCurrentUniqueId();
  virtual void masterIdle();
  virtual bool isInputConnected(int32_t input);
  virtual bool isOutputConnected(int32_t output);
  /// Amplitude as decibels in eight characters.
  virtual void decibelsToText(float amplitude, char* text);
  /// A period in samples as a frequency in Hz.
  virtual void hertzToText(float samples, char* text);
  /// A count of samples as milliseconds.
  virtual void millisecondsToText(float samples, char* text);
  /// A number in eight characters with a decimal point, digits truncated.
  virtual void floatToText(float value, char* text);
  /// An integer right-aligned in seven columns.
  virtual void integerToText(int32_t value, char* text);

  /// Holds the editor the edit opcodes reach, and says so in the record's flags.
  void attachEditor(EditorBase* newEditor);
  AEffect* record() { return &effectRecord; }

 protected:
  void setFlag(int32_t bit, bool state);
  /// Calls the host, or answers 0 without calling when there is no callback.
  VstIntPtr callHost(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

  float sampleRate;
  EditorBase* editor;
  audioMasterCallback hostCallback;
  int32_t programCount;
  int32_t parameterCount;
  // The host may ask for it on one thread while another changes it.
  std::atomic<int32_t> currentProgram;
  int32_t blockSize;
  AEffect effectRecord;
};
