#include "vst2/interface/effect_base.h"

#include <cstring>
#include <new>

#include "vst2/interface/narrow.h"

namespace {

// The five functions the record hands the host. Each finds the object
// through the record and forwards the call unchanged.

EffectBase* objectOf(AEffect* effect) { return static_cast<EffectBase*>(effect->object); }

VstIntPtr VSTCALLBACK dispatcherEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                      void* ptr, float opt) {
  EffectBase* object = objectOf(effect);
  // An exception must never unwind into the host: whatever fails inside an
  // operation is answered as the operation answers failure, with 0.
  try {
    if (opcode == effClose) {
      object->dispatcher(opcode, index, value, ptr, opt);
      delete object;
      return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;
  }
}

void VSTCALLBACK processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
  objectOf(effect)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
  objectOf(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value) {
  objectOf(effect)->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index) {
  return objectOf(effect)->getParameter(index);
}

// The meter's reading scaled to the host's integer, truncated; a reading
// that does not fit an int32 (or is not a number) reads as silence.
VstIntPtr meterReading(float vu) {
  double scaled = static_cast<double>(vu) * 32767.0;
  if (!(scaled > -2147483648.0 && scaled < 2147483648.0)) return 0;
  return static_cast<int32_t>(scaled);
}

}  // namespace

EffectBase::EffectBase(audioMasterCallback host, int32_t numPrograms, int32_t numParams)
    : editor(nullptr),
      hostCallback(host),
      programCount(numPrograms),
      parameterCount(numParams),
      currentProgram(0) {
  std::memset(&effectRecord, 0, sizeof effectRecord);
  effectRecord.magic = kEffectMagic;
  effectRecord.dispatcher = dispatcherEntry;
  effectRecord.process = processEntry;
  effectRecord.setParameter = setParameterEntry;
  effectRecord.getParameter = getParameterEntry;
  effectRecord.numPrograms = numPrograms;
  effectRecord.numParams = numParams;
  effectRecord.numInputs = 1;
  effectRecord.numOutputs = 2;
  effectRecord.flags = 0;
  effectRecord.ioRatio = 1.0f;
  effectRecord.object = this;
  effectRecord.uniqueID = fourCharCode('N', 'o', 'E', 'f');
  effectRecord.version = 1;
  effectRecord.processReplacing = processReplacingEntry;
  sampleRate = 44100.0f;
  blockSize = 1024;
}

EffectBase::~EffectBase() { delete editor; }

void EffectBase::attachEditor(EditorBase* newEditor) {
  editor = newEditor;
  setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void EffectBase::setFlag(int32_t bit, bool state) {
  if (state)
    effectRecord.flags |= bit;
  else
    effectRecord.flags &= ~bit;
}

VstIntPtr EffectBase::dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) {
  // Operations that write into a host buffer are skipped for a null buffer.
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      if (value < programCount) setProgram(narrowToInt32(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (text) setProgramName(text);
      return 0;
    case effGetProgramName:
      if (text) getProgramName(text);
      return 0;
    case effGetParamLabel:
      if (text) getParameterLabel(index, text);
      return 0;
    case effGetParamDisplay:
      if (text) getParameterDisplay(index, text);
      return 0;
    case effGetParamName:
      if (text) getParameterName(index, text);
      return 0;
    case effGetVu:
      return meterReading(getVu());
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(narrowToInt32(value));
      return 0;
    case effMainsChanged:
      if (value == 0)
        suspend();
      else
        resume();
      return 0;
    case effEditGetRect:
      if (!editor || !ptr) return 0;
      return editor->getRect(static_cast<ERect**>(ptr));
    case effEditOpen:
      if (!editor) return 0;
      return editor->open(ptr);
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      return setChunk(ptr, narrowToInt32(value), index != 0);
    default:
      return 0;
  }
}

void EffectBase::setParameter(int32_t, float) {}
float EffectBase::getParameter(int32_t) { return 0.0f; }
void EffectBase::processReplacing(float**, float**, int32_t) {}
int32_t EffectBase::getProgram() { return currentProgram.load(std::memory_order_relaxed); }
void EffectBase::setProgram(int32_t program) { currentProgram.store(program, std::memory_order_relaxed); }
void EffectBase::setProgramName(char* text) { text[0] = '\0'; }
void EffectBase::getProgramName(char* text) { text[0] = '\0'; }
void EffectBase::getParameterLabel(int32_t, char* text) { text[0] = '\0'; }
void EffectBase::getParameterDisplay(int32_t, char* text) { text[0] = '\0'; }
void EffectBase::getParameterName(int32_t, char* text) { text[0] = '\0'; }
float EffectBase::getVu() { return 0.0f; }
int32_t EffectBase::getChunk(void**, bool) { return 0; }
int32_t EffectBase::setChunk(void*, int32_t, bool) { return 0; }
void EffectBase::setSampleRate(float rate) { sampleRate = rate; }
void EffectBase::setBlockSize(int32_t frames) { blockSize = frames; }
void EffectBase::setUniqueID(int32_t id) { effectRecord.uniqueID = id; }
void EffectBase::setNumInputs(int32_t inputs) { effectRecord.numInputs = inputs; }
void EffectBase::setNumOutputs(int32_t outputs) { effectRecord.numOutputs = outputs; }
void EffectBase::setFlagHasVu(bool state) { setFlag(effFlagsHasVu, state); }
void EffectBase::setFlagHasClip(bool state) { setFlag(effFlagsHasClip, state); }
void EffectBase::setFlagCanMono(bool state) { setFlag(effFlagsCanMono, state); }
void EffectBase::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void EffectBase::setFlagProgramChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void EffectBase::setRealQualities(int32_t qualities) { effectRecord.realQualities = qualities; }
void EffectBase::setOffQualities(int32_t qualities) { effectRecord.offQualities = qualities; }
void EffectBase::setInitialDelay(int32_t delay) { effectRecord.initialDelay = delay; }
float EffectBase::currentSampleRate() { return sampleRate; }
int32_t EffectBase::currentBlockSize() { return blockSize; }
