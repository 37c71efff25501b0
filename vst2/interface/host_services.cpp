// The wrappers around the host callback. Each sends one host opcode with the
// instance's own record and turns the answer into what the plug-in wants;
// without a callback each answers as a host that knows nothing would.
#include "vst2/interface/effect_base_x.h"

VstIntPtr EffectBase::callHost(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt) {
  if (!hostCallback) return 0;
  return hostCallback(&effectRecord, opcode, index, value, ptr, opt);
}

void EffectBase::setParameterAutomated(int32_t index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t EffectBase::getMasterVersion() {
  VstIntPtr version = callHost(audioMasterVersion);
  return version ? static_cast<int32_t>(version) : 1;
}

int32_t EffectBase::getCurrentUniqueId() { return static_cast<int32_t>(callHost(audioMasterCurrentId)); }

void EffectBase::masterIdle() { callHost(audioMasterIdle); }

bool EffectBase::isInputConnected(int32_t input) { return callHost(audioMasterPinConnected, input, 0) == 0; }

bool EffectBase::isOutputConnected(int32_t output) { return callHost(audioMasterPinConnected, output, 1) == 0; }

void EffectBaseX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

void* EffectBaseX::getTimeInfo(int32_t filter) {
  return reinterpret_cast<void*>(callHost(audioMasterGetTime, 0, filter));
}

int32_t EffectBaseX::tempoAt(int32_t position) {
  return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, position));
}

int32_t EffectBaseX::getNumAutomatableParameters() {
  return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}

int32_t EffectBaseX::getParameterQuantization() {
  return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}

bool EffectBaseX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

bool EffectBaseX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }

bool EffectBaseX::sizeWindow(int32_t width, int32_t height) {
  return callHost(audioMasterSizeWindow, width, height) != 0;
}

// The host answers by calling effSetSampleRate during the request; what it
// returns directly is not trusted.
float EffectBaseX::updateSampleRate() {
  callHost(audioMasterGetSampleRate);
  return sampleRate;
}

int32_t EffectBaseX::updateBlockSize() {
  callHost(audioMasterGetBlockSize);
  return blockSize;
}

int32_t EffectBaseX::getInputLatency() { return static_cast<int32_t>(callHost(audioMasterGetInputLatency)); }

int32_t EffectBaseX::getOutputLatency() { return static_cast<int32_t>(callHost(audioMasterGetOutputLatency)); }

AEffect* EffectBaseX::getPreviousPlug(int32_t) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* EffectBaseX::getNextPlug(int32_t) { return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug)); }

int32_t EffectBaseX::willProcessReplacing() {
  return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}

int32_t EffectBaseX::getCurrentProcessLevel() {
  return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

int32_t EffectBaseX::getAutomationState() { return static_cast<int32_t>(callHost(audioMasterGetAutomationState)); }

bool EffectBaseX::offlineRead(void* task, int32_t option, bool readSource) {
  return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool EffectBaseX::offlineWrite(void* task, int32_t option) {
  return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
}

bool EffectBaseX::offlineStart(void* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles) {
  return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}

int32_t EffectBaseX::offlineGetCurrentPass() { return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0; }

int32_t EffectBaseX::offlineGetCurrentMetaPass() {
  return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void EffectBaseX::setOutputSamplerate(float rate) { callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate); }

bool EffectBaseX::getSpeakerArrangement(void* pluginInput, void* pluginOutput) {
  return callHost(audioMasterGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(pluginInput), pluginOutput) != 0;
}

bool EffectBaseX::getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }

bool EffectBaseX::getHostProductString(char* text) { return callHost(audioMasterGetProductString, 0, 0, text) != 0; }

int32_t EffectBaseX::getHostVendorVersion() { return static_cast<int32_t>(callHost(audioMasterGetVendorVersion)); }

int32_t EffectBaseX::hostVendorSpecific(int32_t first, VstIntPtr second, void* pointer, float real) {
  return static_cast<int32_t>(callHost(audioMasterVendorSpecific, first, second, pointer, real));
}

int32_t EffectBaseX::canHostDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0; }

int32_t EffectBaseX::getHostLanguage() { return static_cast<int32_t>(callHost(audioMasterGetLanguage)); }

void* EffectBaseX::openWindow(void* window) {
  return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool EffectBaseX::closeWindow(void* window) { return callHost(audioMasterCloseWindow, 0, 0, window) != 0; }

void* EffectBaseX::getDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }

bool EffectBaseX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
