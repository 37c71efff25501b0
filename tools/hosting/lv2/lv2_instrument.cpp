#include "tools/hosting/lv2/lv2_instrument.h"

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "tools/hosting/interface_thread.h"
#include "tools/hosting/lv2/lv2_description.h"
#include "tools/hosting/lv2/lv2_editor.h"
#include "tools/hosting/lv2/lv2_presets.h"
#include "tools/hosting/lv2/lv2_world.h"
#include "tools/hosting/lv2/urid_map.h"
#include "tools/files/lv2_preset_name.h"
#include "tools/files/preset_file.h"
#include "tools/system/system_services.h"

namespace {

// MIDI messages a block takes before the sequence grows (and is connected anew).
constexpr size_t kMidiEvents = 4096;
// An atom output's buffer, unless the port asks for more.
constexpr uint32_t kAtomBytes = 64 * 1024;

using StatePointer = std::unique_ptr<LilvState, decltype(&lilv_state_free)>;

float startValue(const Lv2Port& port) {
  if (port.defaultValue) return *port.defaultValue;
  if (port.minimum) return *port.minimum;
  return 0.0f;
}

bool isWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

}  // namespace

Lv2Instrument::Lv2Instrument(const Lv2Plugin& plugin)
    : plugin_(plugin), published_(plugin.ports().size()), midi_(kMidiEvents), chunkType_(mapUri(LV2_ATOM__Chunk)) {
  const std::vector<Lv2Port>& ports = plugin_.ports();
  controls_.assign(ports.size(), 0.0f);
  audio_.resize(ports.size());
  atoms_.resize(ports.size());
  for (const Lv2Port& port : ports) {
    if (port.kind == Lv2PortKind::Control) controls_[port.index] = startValue(port);
    if (port.midiInput) midiPort_ = port.index;
    if (port.kind == Lv2PortKind::Atom && !port.midiInput) {
      atoms_[port.index].assign(std::max(port.minimumSize, kAtomBytes) / sizeof(uint64_t), 0);
    }
  }
  publish();
}

Lv2Instrument::~Lv2Instrument() {
  if (instance_ == nullptr) return;
  const std::lock_guard<std::mutex> lock(interfaceThread());
  features_->worker().stopThread();
  if (active_) lilv_instance_deactivate(instance_);
  lilv_instance_free(instance_);
}

void Lv2Instrument::instantiate(const Lv2Timing& timing) {
  if (instance_ != nullptr && timing.sampleRate == timing_.sampleRate && timing.blockSize == timing_.blockSize) return;
  // The old instance's state goes to the new one, its control values stay.
  StatePointer carried(nullptr, lilv_state_free);
  if (instance_ != nullptr) {
    features_->worker().stopThread();
    carried.reset(lilv_state_new_from_instance(plugin_.lilvPlugin(), instance_, uridMap(), nullptr, nullptr, nullptr,
                                               nullptr, portValue, this, LV2_STATE_IS_POD, features_->list()));
    if (active_) lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
    instance_ = nullptr;
  }
  timing_ = timing;
  timing_.sequenceBytes = static_cast<int32_t>(midi_.capacityBytes());
  features_ = std::make_unique<Lv2HostFeatures>(plugin_.label(), timing_);
  const std::string messages = captureStandardError(
      [this] { instance_ = lilv_plugin_instantiate(plugin_.lilvPlugin(), timing_.sampleRate, features_->list()); });
  if (instance_ == nullptr) {
    const std::string reason = firstError(messages);
    throw ToolError(kExitBadModule, plugin_.name() + ": the plug-in failed to start (its instantiate answered null" +
                                        (reason.empty() ? ")" : "): " + reason));
  }
  // What the plug-in said while it started is its own business, not an error.
  std::fputs(messages.c_str(), stderr);
  features_->worker().attach(instance_);
  for (const Lv2Port& port : plugin_.ports()) {
    if (port.kind == Lv2PortKind::Audio || port.kind == Lv2PortKind::Cv) {
      audio_[port.index].assign(static_cast<size_t>(timing_.blockSize), 0.0f);
    }
  }
  connectPorts();
  if (carried) {
    restore(carried.get());
  } else if (lilv_plugin_has_feature(plugin_.lilvPlugin(), Lv2World::instance().uris().loadDefaultState)) {
    LilvNode* uri = lilv_new_uri(Lv2World::instance().world(), plugin_.uri().c_str());
    const StatePointer defaults(lilv_state_new_from_world(Lv2World::instance().world(), uridMap(), uri),
                                lilv_state_free);
    lilv_node_free(uri);
    if (defaults) restore(defaults.get());
  }
  if (active_) {
    lilv_instance_activate(instance_);
    if (live_) features_->worker().startThread();
  }
}

void Lv2Instrument::restore(const LilvState* state) {
  lilv_state_restore(state, instance_, setPortValue, this, 0, features_->list());
  features_->worker().runPending(false);
  publish();
}

void Lv2Instrument::applyRequests() {
  requests_.drain([this](ControlQueue::Change change) { controls_[change.port] = change.value; });
}

void Lv2Instrument::publish() {
  for (const Lv2Port& port : plugin_.ports()) {
    if (port.kind == Lv2PortKind::Control) published_[port.index].store(controls_[port.index], std::memory_order_relaxed);
  }
}

void Lv2Instrument::connectPorts() {
  outputs_.clear();
  for (const Lv2Port& port : plugin_.ports()) {
    void* buffer = nullptr;
    if (port.kind == Lv2PortKind::Control) {
      buffer = &controls_[port.index];
    } else if (!audio_[port.index].empty()) {
      buffer = audio_[port.index].data();
      if (port.kind == Lv2PortKind::Audio && !port.input) outputs_.push_back(audio_[port.index].data());
    } else if (port.midiInput) {
      buffer = midi_.buffer();
    } else if (!atoms_[port.index].empty()) {
      buffer = atoms_[port.index].data();
      if (port.input) {
        // An empty sequence: nothing arrives there.
        auto* atom = static_cast<LV2_Atom_Sequence*>(buffer);
        atom->atom = LV2_Atom{sizeof(LV2_Atom_Sequence_Body), mapUri(LV2_ATOM__Sequence)};
        atom->body = LV2_Atom_Sequence_Body{0, 0};
      }
    }
    lilv_instance_connect_port(instance_, port.index, buffer);
  }
}

void Lv2Instrument::setTiming(int32_t sampleRate, int32_t blockSize) {
  Lv2Timing timing = timing_;
  timing.sampleRate = static_cast<float>(sampleRate);
  timing.blockSize = blockSize;
  const std::lock_guard<std::mutex> lock(interfaceThread());
  instantiate(timing);
}

const Lv2Port* Lv2Instrument::controlInput(const std::string& key) const {
  for (const Lv2Port& port : plugin_.ports()) {
    const bool named = isWholeNumber(key) ? std::to_string(port.index) == key : port.symbol == key;
    if (named) return port.kind == Lv2PortKind::Control && port.input ? &port : nullptr;
  }
  return nullptr;
}

void Lv2Instrument::configure(const SessionSettings& settings) {
  if (settings.program) {
    throw ToolError(kExitBadInput, "--program " + std::to_string(*settings.program) + ": " + plugin_.name() +
                                       " is an LV2 plug-in, which has no programs; load a preset with --preset");
  }
  std::vector<std::pair<const Lv2Port*, float>> values;
  for (const ParameterSetting& parameter : settings.parameters) {
    const Lv2Port* port = controlInput(parameter.key);
    if (port == nullptr) {
      throw ToolError(kExitBadInput, "--param " + parameter.key + ": " + plugin_.uri() +
                                         " has no control input of that " +
                                         (isWholeNumber(parameter.key) ? "index" : "symbol") + " (info lists them)");
    }
    const float low = port->minimum.value_or(parameter.value), high = port->maximum.value_or(parameter.value);
    if (parameter.value < low || parameter.value > high) {
      throw ToolError(kExitBadInput, "--param " + parameter.key + "=" + parameter.valueText + ": " + port->symbol +
                                         " (" + port->name + ") takes " + number(low) + " to " + number(high));
    }
    values.emplace_back(port, parameter.value);
  }
  const std::lock_guard<std::mutex> lock(interfaceThread());
  // Read (and refused) before the plug-in is told anything.
  const StatePointer preset(settings.preset.empty() ? nullptr : readPreset(plugin_, settings.preset), lilv_state_free);
  Lv2Timing timing = timing_;
  timing.sampleRate = static_cast<float>(settings.sampleRate);
  timing.blockSize = settings.blockSize;
  instantiate(timing);
  if (preset) restore(preset.get());
  for (const auto& [port, value] : values) controls_[port->index] = value;
  publish();
}

void Lv2Instrument::start() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  instantiate(timing_);
  lilv_instance_activate(instance_);
  active_ = true;
  if (live_) features_->worker().startThread();
}

void Lv2Instrument::stop() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  features_->worker().stopThread();
  lilv_instance_deactivate(instance_);
  active_ = false;
}

void Lv2Instrument::prepareForLive(int32_t capacity) {
  live_ = true;
  if (midi_.makeRoom(static_cast<size_t>(capacity)) && instance_ != nullptr) {
    lilv_instance_connect_port(instance_, midiPort_, midi_.buffer());
  }
}

void Lv2Instrument::sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) {
  if (midi_.makeRoom(static_cast<size_t>(last - first))) {
    lilv_instance_connect_port(instance_, midiPort_, midi_.buffer());
  }
  for (const ScheduledEvent* event = first; event != last; ++event) {
    midi_.append(event->frame - blockStart, event->bytes, event->size);
  }
}

void Lv2Instrument::process(int32_t frames) {
  applyRequests();
  for (const Lv2Port& port : plugin_.ports()) {
    if (port.kind != Lv2PortKind::Atom || port.input || atoms_[port.index].empty()) continue;
    // An output atom's size tells the plug-in how much room there is.
    auto* atom = reinterpret_cast<LV2_Atom*>(atoms_[port.index].data());
    atom->size = static_cast<uint32_t>(atoms_[port.index].size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    atom->type = chunkType_;
  }
  lilv_instance_run(instance_, static_cast<uint32_t>(frames));
  features_->worker().runPending(true);
  midi_.clear();
  publish();
}

void Lv2Instrument::requestControl(uint32_t index, float value) {
  if (index >= plugin_.ports().size()) return;
  const Lv2Port& port = plugin_.ports()[index];
  if (port.kind == Lv2PortKind::Control && port.input) requests_.push({index, value});
}

InstrumentDescription Lv2Instrument::describe(bool) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  return describeLv2(plugin_);
}

std::vector<std::pair<std::string, double>> Lv2Instrument::parameterValues() {
  applyRequests();
  std::vector<std::pair<std::string, double>> values;
  for (const Lv2Port& port : plugin_.ports()) {
    if (port.kind == Lv2PortKind::Control && port.input) values.emplace_back(port.symbol, controls_[port.index]);
  }
  return values;
}

std::unique_ptr<SavedState> Lv2Instrument::saveState(const std::string& path) {
  if (!isLv2PresetBundleName(path)) {
    const std::string vst2 = presetKindForFileName(path) ? ".fxp and .fxb presets are VST 2's; " : "";
    throw ToolError(kExitBadInput,
                    "--save " + path + ": " + vst2 + "an LV2 plug-in's state goes into a preset bundle NAME.preset.lv2");
  }
  applyRequests();
  const std::lock_guard<std::mutex> lock(interfaceThread());
  instantiate(timing_);
  return savePresetBundle(*this, features_->list(), path);
}

std::optional<std::pair<int, int>> Lv2Instrument::editorSize() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  chooseEditorUi(plugin_);
  return std::nullopt;
}

std::unique_ptr<InstrumentEditor> Lv2Instrument::openEditor(HostWindow& window) {
  {
    const std::lock_guard<std::mutex> lock(interfaceThread());
    instantiate(timing_);
  }
  return std::make_unique<Lv2Editor>(*this, window);
}

const void* Lv2Instrument::portValue(const char* symbol, void* instrument, uint32_t* size, uint32_t* type) {
  auto& self = *static_cast<Lv2Instrument*>(instrument);
  const Lv2Port* port = self.controlInput(symbol);
  if (port == nullptr) return nullptr;
  *size = sizeof(float);
  *type = mapUri(LV2_ATOM__Float);
  return &self.controls_[port->index];
}

void Lv2Instrument::setPortValue(const char* symbol, void* instrument, const void* value, uint32_t size,
                                 uint32_t type) {
  auto& self = *static_cast<Lv2Instrument*>(instrument);
  const Lv2Port* port = self.controlInput(symbol);
  if (port == nullptr) return;
  float number = 0.0f;
  if (type == mapUri(LV2_ATOM__Float) && size == sizeof(float)) {
    std::memcpy(&number, value, sizeof number);
  } else if (type == mapUri(LV2_ATOM__Double) && size == sizeof(double)) {
    double wide = 0.0;
    std::memcpy(&wide, value, sizeof wide);
    number = static_cast<float>(wide);
  } else if (type == mapUri(LV2_ATOM__Int) && size == sizeof(int32_t)) {
    int32_t whole = 0;
    std::memcpy(&whole, value, sizeof whole);
    number = static_cast<float>(whole);
  } else {
    return;
  }
  self.controls_[port->index] = number;
}
