#include "tools/hosting/plugin_session.h"

#include <algorithm>
#include <mutex>

#include "tools/hosting/host_callback.h"
#include "tools/hosting/module_library.h"

namespace {

// Stands for the single interface thread of a host.
std::mutex interfaceCalls;

}  // namespace

PluginSession::PluginSession(const ModuleLibrary& module) : modulePath_(module.path()) {
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  effect_ = module.entryPoint()(hostCallback);
  if (effect_ == nullptr) {
    throw InstanceRefused(kExitBadModule, modulePath_ + ": the plug-in refused to start (its main answered null)");
  }
  if (effect_->magic != kEffectMagic) {
    throw ToolError(kExitBadModule, modulePath_ + ": not a VST 2 plug-in (its record lacks the 'VstP' mark)");
  }
  dispatch(effOpen);
}

PluginSession::~PluginSession() {
  if (running_) stop();
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  dispatch(effClose);
}

void PluginSession::configure(const SessionSettings& settings) {
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  if (settings.program < 0 || (settings.program > 0 && settings.program >= effect_->numPrograms)) {
    throw ToolError(kExitBadInput, "--program " + std::to_string(settings.program) + ": " + modulePath_ + " has " +
                                       std::to_string(effect_->numPrograms) + " programs");
  }
  for (const ParameterSetting& parameter : settings.parameters) {
    if (parameter.index < 0 || parameter.index >= effect_->numParams) {
      throw ToolError(kExitBadInput, "--param " + std::to_string(parameter.index) + ": " + modulePath_ + " has " +
                                         std::to_string(effect_->numParams) + " parameters");
    }
  }
  applyTiming(settings.sampleRate, settings.blockSize);
  dispatch(effSetProgram, 0, settings.program);
  for (const ParameterSetting& parameter : settings.parameters) {
    effect_->setParameter(effect_, parameter.index, parameter.value);
  }
  dispatch(effSetProgram, 0, settings.program);
}

void PluginSession::setTiming(int32_t sampleRate, int32_t blockSize) {
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  applyTiming(sampleRate, blockSize);
}

void PluginSession::applyTiming(int32_t sampleRate, int32_t blockSize) {
  setHostSampleRate(sampleRate);
  setHostBlockSize(blockSize);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  dispatch(effSetBlockSize, 0, blockSize);
}

void PluginSession::start() {
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  dispatch(effMainsChanged, 0, 1);
  running_ = true;
}

void PluginSession::stop() {
  const std::lock_guard<std::mutex> lock(interfaceCalls);
  dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

void PluginSession::sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }

void PluginSession::process(float** inputs, float** outputs, int32_t frames) {
  if ((effect_->flags & effFlagsCanReplacing) != 0 && effect_->processReplacing != nullptr) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return;
  }
  // An old plug-in that only accumulates into the host's buffers.
  for (int32_t channel = 0; channel < effect_->numOutputs; ++channel) {
    std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
  }
  effect_->process(effect_, inputs, outputs, frames);
}

VstIntPtr PluginSession::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}
