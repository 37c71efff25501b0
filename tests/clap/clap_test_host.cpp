#include "clap_test_host.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "clap/module_factories.h"
#include "clap/plugin_descriptor.h"

namespace {

HostRequests& requestsOf(const clap_host_t* host) { return static_cast<TestHost*>(host->host_data)->requests; }

void CLAP_ABI rescan(const clap_host_t* host, clap_param_rescan_flags flags) {
  if (flags & CLAP_PARAM_RESCAN_VALUES) ++requestsOf(host).valueRescans;
}
void CLAP_ABI clear(const clap_host_t*, clap_id, clap_param_clear_flags) {}
void CLAP_ABI requestFlush(const clap_host_t* host) { ++requestsOf(host).flushes; }
const clap_host_params_t kParams = {rescan, clear, requestFlush};

bool CLAP_ABI registerTimer(const clap_host_t* host, uint32_t, clap_id* id) {
  std::vector<clap_id>& timers = requestsOf(host).timers;
  *id = timers.empty() ? 1 : timers.back() + 1;
  timers.push_back(*id);
  return true;
}
bool CLAP_ABI unregisterTimer(const clap_host_t* host, clap_id id) {
  std::vector<clap_id>& timers = requestsOf(host).timers;
  timers.erase(std::remove(timers.begin(), timers.end(), id), timers.end());
  return true;
}
const clap_host_timer_support_t kTimers = {registerTimer, unregisterTimer};

const void* CLAP_ABI hostExtension(const clap_host_t*, const char* id) {
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
  if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kTimers;
  return nullptr;
}
void CLAP_ABI noRequest(const clap_host_t*) {}

template <typename Event>
std::vector<uint8_t> bytesOf(const Event& event) {
  std::vector<uint8_t> bytes(sizeof event);
  std::memcpy(bytes.data(), &event, sizeof event);
  return bytes;
}

clap_event_header_t header(uint32_t size, uint16_t type, uint32_t frame) {
  return clap_event_header_t{size, frame, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

}  // namespace

TestHost::TestHost()
    : host{CLAP_VERSION, this, "Quorlin tests", "", "", "1", hostExtension, noRequest, noRequest, noRequest} {}

InputEvents::InputEvents() {
  events.ctx = this;
  events.size = [](const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const InputEvents*>(list->ctx)->stored.size());
  };
  events.get = [](const clap_input_events_t* list, uint32_t index) {
    const auto& stored = static_cast<const InputEvents*>(list->ctx)->stored;
    return index < stored.size() ? reinterpret_cast<const clap_event_header_t*>(stored[index].data()) : nullptr;
  };
}

void InputEvents::note(uint16_t type, uint32_t frame, int16_t key, double velocity, int32_t noteId) {
  stored.push_back(bytesOf(clap_event_note_t{header(sizeof(clap_event_note_t), type, frame), noteId, 0, 0, key, velocity}));
}

void InputEvents::midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
  stored.push_back(bytesOf(clap_event_midi_t{header(sizeof(clap_event_midi_t), CLAP_EVENT_MIDI, frame), 0, {status, data1, data2}}));
}

void InputEvents::parameter(uint32_t frame, clap_id id, double value) {
  stored.push_back(bytesOf(clap_event_param_value_t{
      header(sizeof(clap_event_param_value_t), CLAP_EVENT_PARAM_VALUE, frame), id, nullptr, -1, -1, -1, -1, value}));
}

OutputEvents::OutputEvents() {
  events.ctx = this;
  events.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(event);
    static_cast<OutputEvents*>(list->ctx)->stored.emplace_back(bytes, bytes + event->size);
    return true;
  };
}

std::vector<uint16_t> OutputEvents::types() const {
  std::vector<uint16_t> result;
  for (size_t i = 0; i < stored.size(); ++i) result.push_back(at(i).type);
  return result;
}

const clap_event_header_t& OutputEvents::at(size_t index) const {
  return *reinterpret_cast<const clap_event_header_t*>(stored.at(index).data());
}

PluginInstance::PluginInstance(TestHost& host) {
  const auto* factory = static_cast<const clap_plugin_factory_t*>(moduleFactory(CLAP_PLUGIN_FACTORY_ID));
  instance = factory->create_plugin(factory, host.record(), kPluginId);
  if (!instance || !instance->init(instance)) throw std::runtime_error("the plug-in was not made");
}

PluginInstance::~PluginInstance() {
  if (active) instance->deactivate(instance);
  instance->destroy(instance);
}

bool PluginInstance::activate(double sampleRate) {
  active = instance->activate(instance, sampleRate, 1, 4096);
  return active;
}

clap_process_status PluginInstance::process(uint32_t frames, float* left, float* right, const InputEvents& in,
                                            const OutputEvents* out) {
  float* channels[] = {left, right};
  clap_audio_buffer_t output{channels, nullptr, 2, 0, 0};
  static const clap_output_events_t dropped = {nullptr, [](const clap_output_events_t*, const clap_event_header_t*) {
                                                  return false;  // allocates nothing while the plug-in processes
                                                }};
  const clap_process_t block{-1, frames, nullptr, nullptr, &output, 0, 1, in.list(), out ? out->list() : &dropped};
  return instance->process(instance, &block);
}

double PluginInstance::value(clap_id id) const {
  double result = -1.0;
  extension<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_value(instance, id, &result);
  return result;
}
