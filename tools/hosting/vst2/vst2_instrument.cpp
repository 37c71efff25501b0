#include "tools/hosting/vst2/vst2_instrument.h"

#include <algorithm>
#include <mutex>

#include "tools/hosting/host_window.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/hosting/interface_thread.h"
#include "tools/hosting/vst2/host_callback.h"
#include "tools/hosting/vst2/plugin_presets.h"
#include "tools/hosting/vst2/vst2_description.h"

namespace {

// The editor stays open while this lives; the host closes it before its window goes.
class Vst2Editor : public InstrumentEditor {
 public:
  Vst2Editor(Vst2Instrument& instrument, void* parent) : instrument_(instrument) {
    instrument_.dispatch(effEditOpen, 0, 0, parent);
  }
  ~Vst2Editor() override { instrument_.dispatch(effEditClose); }
  bool idle() override {
    instrument_.dispatch(effEditIdle);
    return true;
  }

 private:
  Vst2Instrument& instrument_;
};

class Vst2SavedState : public SavedState {
 public:
  Vst2SavedState(std::string path, PresetFile preset) : path_(std::move(path)), preset_(std::move(preset)) {}
  void write() override { writePresetFile(path_, preset_); }

 private:
  std::string path_;
  PresetFile preset_;
};

bool isWholeNumber(const std::string& text) {
  return !text.empty() && text.size() <= 10 && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

}  // namespace

Vst2Instrument::Vst2Instrument(const ModuleLibrary& module) : modulePath_(module.path()) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  effect_ = module.entryPoint()(hostCallback);
  if (effect_ == nullptr) {
    throw InstanceRefused(kExitBadModule, modulePath_ + ": the plug-in refused to start (its main answered null)");
  }
  if (effect_->magic != kEffectMagic) {
    throw ToolError(kExitBadModule, modulePath_ + ": not a VST 2 plug-in (its record lacks the 'VstP' mark)");
  }
  dispatch(effOpen);
}

Vst2Instrument::~Vst2Instrument() {
  if (running_) stop();
  const std::lock_guard<std::mutex> lock(interfaceThread());
  dispatch(effClose);
}

void Vst2Instrument::checkParameters(const std::vector<ParameterSetting>& parameters) const {
  for (const ParameterSetting& parameter : parameters) {
    if (!isWholeNumber(parameter.key)) {
      throw ToolError(kExitBadInput, "--param " + parameter.key + ": " + modulePath_ +
                                         " is a VST 2 plug-in, whose parameters go by number");
    }
    const long long index = std::stoll(parameter.key);
    if (index >= effect_->numParams) {
      throw ToolError(kExitBadInput, "--param " + parameter.key + ": " + modulePath_ + " has " +
                                         std::to_string(effect_->numParams) + " parameters");
    }
    // VST 2 parameter values run from 0 to 1; plug-ins are not made for others.
    if (!(parameter.value >= 0.0f && parameter.value <= 1.0f)) {
      throw ToolError(kExitBadInput, "--param needs a value from 0 to 1, not '" + parameter.valueText + "'");
    }
  }
}

void Vst2Instrument::configure(const SessionSettings& settings) {
  // The file is read (and refused) before the plug-in is told anything.
  const bool withPreset = !settings.preset.empty();
  const PresetFile preset = withPreset ? readPresetFile(settings.preset) : PresetFile();
  const std::lock_guard<std::mutex> lock(interfaceThread());
  const int32_t asked = settings.program.value_or(0);
  if (asked < 0 || (asked > 0 && asked >= effect_->numPrograms)) {
    throw ToolError(kExitBadInput, "--program " + std::to_string(asked) + ": " + modulePath_ + " has " +
                                       std::to_string(effect_->numPrograms) + " programs");
  }
  checkParameters(settings.parameters);
  applyTiming(settings.sampleRate, settings.blockSize);
  if (withPreset) loadPreset(*effect_, preset, settings.preset);
  // Without a preset, program 0 is selected as a host starts; after one, what
  // it set stays unless the command line changes it.
  const bool selects = !withPreset || settings.program;
  if (selects) dispatch(effSetProgram, 0, asked);
  if (withPreset && settings.parameters.empty()) return;
  for (const ParameterSetting& parameter : settings.parameters) {
    effect_->setParameter(effect_, static_cast<VstInt32>(std::stoll(parameter.key)), parameter.value);
  }
  dispatch(effSetProgram, 0, selects ? asked : dispatch(effGetProgram));
}

void Vst2Instrument::setTiming(int32_t sampleRate, int32_t blockSize) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  applyTiming(sampleRate, blockSize);
}

void Vst2Instrument::applyTiming(int32_t sampleRate, int32_t blockSize) {
  sampleRate_ = sampleRate;
  blockSize_ = blockSize;
  setHostSampleRate(sampleRate);
  setHostBlockSize(blockSize);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  dispatch(effSetBlockSize, 0, blockSize);
  inputCount_ = std::max(effect_->numInputs, 0);
  const size_t channels = static_cast<size_t>(inputCount_) + static_cast<size_t>(std::max(effect_->numOutputs, 0));
  buffers_.assign(channels, std::vector<float>(static_cast<size_t>(blockSize), 0.0f));
  pointers_.clear();
  for (auto& buffer : buffers_) pointers_.push_back(buffer.data());
}

void Vst2Instrument::start() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  dispatch(effMainsChanged, 0, 1);
  running_ = true;
}

void Vst2Instrument::stop() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

void Vst2Instrument::sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) {
  events_.fill(first, last, blockStart);
  dispatch(effProcessEvents, 0, 0, events_.list());
}

void Vst2Instrument::process(int32_t frames) {
  // A live host renders on a thread of its own, where the plug-in may ask the
  // host for the rate and block size too (two stores, nothing more).
  setHostSampleRate(sampleRate_);
  setHostBlockSize(blockSize_);
  float** inputs = pointers_.data();
  float** outputs = pointers_.data() + inputCount_;
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

InstrumentDescription Vst2Instrument::describe(bool withProgramValues) { return describeVst2(*this, withProgramValues); }

std::vector<std::pair<std::string, double>> Vst2Instrument::parameterValues() {
  std::vector<std::pair<std::string, double>> values;
  for (VstInt32 index = 0; index < effect_->numParams; ++index) values.emplace_back(std::to_string(index), parameter(index));
  return values;
}

std::unique_ptr<SavedState> Vst2Instrument::saveState(const std::string& path) {
  const std::optional<PresetKind> kind = presetKindForFileName(path);
  if (!kind) throw ToolError(kExitBadInput, "--save " + path + ": a VST 2 plug-in's state goes into an .fxp or .fxb file");
  return std::make_unique<Vst2SavedState>(path, savePreset(*effect_, *kind, path));
}

std::optional<std::pair<int, int>> Vst2Instrument::editorSize() {
  if ((effect_->flags & effFlagsHasEditor) == 0) {
    throw ToolError(kExitBadModule, modulePath_ + ": the plug-in has no editor");
  }
  ERect* rect = nullptr;
  dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) {
    throw ToolError(kExitBadModule, modulePath_ + ": the plug-in's editor gives no size");
  }
  return std::make_pair(rect->right - rect->left, rect->bottom - rect->top);
}

std::unique_ptr<InstrumentEditor> Vst2Instrument::openEditor(HostWindow& window) {
  return std::make_unique<Vst2Editor>(*this, window.parentHandle());
}

VstIntPtr Vst2Instrument::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}
