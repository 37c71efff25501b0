#include "vst2/interface/effect_base_x.h"

#include "vst2/interface/narrow.h"


namespace {

VstIntPtr answer(bool truth) { return truth ? 1 : 0; }

}  // namespace

VstIntPtr EffectBaseX::dispatcher(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effProcessEvents:
      return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
      return answer(canBeAutomated(index));
    case effString2Parameter:
      return text ? answer(string2Parameter(index, text)) : 0;
    case effGetNumProgramCategories:
      return getNumProgramCategories();
    case effGetProgramNameIndexed:
      return text ? answer(getProgramNameIndexed(narrowToInt32(value), index, text)) : 0;
    case effCopyProgram:
      return answer(copyProgram(index));
    case effConnectInput:
      connectInput(index, value != 0);
      return 1;
    case effConnectOutput:
      connectOutput(index, value != 0);
      return 1;
    case effGetInputProperties:
      return ptr ? answer(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetOutputProperties:
      return ptr ? answer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effGetCurrentPosition:
      return getCurrentPosition();
    case effGetDestinationBuffer:
      return reinterpret_cast<VstIntPtr>(getDestinationBuffer());
    case effOfflineNotify:
      return answer(offlineNotify(ptr, narrowToInt32(value), index != 0));
    case effOfflinePrepare:
      return answer(offlinePrepare(ptr, narrowToInt32(value)));
    case effOfflineRun:
      return answer(offlineRun(ptr, narrowToInt32(value)));
    case effProcessVarIo:
      return answer(processVarIo(ptr));
    case effSetSpeakerArrangement:
      return answer(setSpeakerArrangement(reinterpret_cast<void*>(value), ptr));
    case effSetBlockSizeAndSampleRate:
      setBlockSizeAndSampleRate(narrowToInt32(value), opt);
      return 1;
    case effSetBypass:
      return answer(setBypass(value != 0));
    case effGetEffectName:
      return text ? answer(getEffectName(text)) : 0;
    case effGetErrorText:
      return text ? answer(getErrorText(text)) : 0;
    case effGetVendorString:
      return text ? answer(getVendorString(text)) : 0;
    case effGetProductString:
      return text ? answer(getProductString(text)) : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return text ? canDo(text) : 0;
    case effGetTailSize:
      return getTailSize();
    case effIdle:
      return effectIdle();
    case effGetIcon:
      return reinterpret_cast<VstIntPtr>(getIcon());
    case effSetViewPosition:
      return answer(setViewPosition(index, narrowToInt32(value)));
    case effGetParameterProperties:
      return answer(getParameterProperties(index, ptr));
    case effKeysRequired:
      return answer(!keysRequired());
    case effGetVstVersion:
      return getVstVersion();
    default:
      return EffectBase::dispatcher(opcode, index, value, ptr, opt);
  }
}

int32_t EffectBaseX::processEvents(VstEvents*) { return 0; }
bool EffectBaseX::canBeAutomated(int32_t) { return true; }
bool EffectBaseX::string2Parameter(int32_t, char*) { return false; }
int32_t EffectBaseX::getNumProgramCategories() { return 1; }
bool EffectBaseX::getProgramNameIndexed(int32_t, int32_t, char*) { return false; }
bool EffectBaseX::copyProgram(int32_t) { return false; }
void EffectBaseX::connectInput(int32_t, bool) {}
void EffectBaseX::connectOutput(int32_t, bool) {}
bool EffectBaseX::getInputProperties(int32_t, VstPinProperties*) { return false; }
bool EffectBaseX::getOutputProperties(int32_t, VstPinProperties*) { return false; }

int32_t EffectBaseX::getPlugCategory() {
  return (effectRecord.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

void EffectBaseX::setFlagExtIsAsync(bool state) { setFlag(effFlagsExtIsAsync, state); }
void EffectBaseX::setFlagExtHasBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
int32_t EffectBaseX::getCurrentPosition() { return 0; }
float* EffectBaseX::getDestinationBuffer() { return nullptr; }
bool EffectBaseX::offlineNotify(void*, int32_t, bool) { return false; }
bool EffectBaseX::offlinePrepare(void*, int32_t) { return false; }
bool EffectBaseX::offlineRun(void*, int32_t) { return false; }
void EffectBaseX::isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void EffectBaseX::setFlagNoSoundInStop(bool state) { setFlag(effFlagsNoSoundInStop, state); }
bool EffectBaseX::processVarIo(void*) { return false; }
bool EffectBaseX::setSpeakerArrangement(void*, void*) { return false; }

void EffectBaseX::setBlockSizeAndSampleRate(int32_t frames, float rate) {
  blockSize = frames;
  sampleRate = rate;
}

bool EffectBaseX::setBypass(bool) { return false; }
bool EffectBaseX::getEffectName(char*) { return false; }
bool EffectBaseX::getErrorText(char*) { return false; }
bool EffectBaseX::getVendorString(char*) { return false; }
bool EffectBaseX::getProductString(char*) { return false; }
int32_t EffectBaseX::getVendorVersion() { return 0; }
int32_t EffectBaseX::vendorSpecific(int32_t, VstIntPtr, void*, float) { return 0; }
int32_t EffectBaseX::canDo(char*) { return 0; }
void* EffectBaseX::getIcon() { return nullptr; }
bool EffectBaseX::setViewPosition(int32_t, int32_t) { return false; }
int32_t EffectBaseX::getTailSize() { return 0; }
int32_t EffectBaseX::effectIdle() { return 0; }
bool EffectBaseX::getParameterProperties(int32_t, void*) { return false; }
bool EffectBaseX::keysRequired() { return false; }
int32_t EffectBaseX::getVstVersion() { return 2; }
