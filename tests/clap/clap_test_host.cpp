#include "clap_test_host.h"

#include <algorithm>
#include <stdexcept>

#include "clap/module_factories.h"
#include "clap/plugin_descriptor.h"

namespace {

TestHost& hostOf(const clap_host_t* host) { return *static_cast<TestHost*>(host->host_data); }

const clap_host_params_t kParams = {
    [](const clap_host_t* host, clap_param_rescan_flags flags) {
      if (flags & CLAP_PARAM_RESCAN_VALUES) ++hostOf(host).valueRescans;
    },
    [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
    [](const clap_host_t* host) { ++hostOf(host).flushes; }};

const clap_host_timer_support_t kTimers = {
    [](const clap_host_t* host, uint32_t, clap_id* id) {
      std::vector<clap_id>& timers = hostOf(host).timers;
      timers.push_back(*id = timers.empty() ? 1 : timers.back() + 1);
      return true;
    },
    [](const clap_host_t* host, clap_id id) {
      std::vector<clap_id>& timers = hostOf(host).timers;
      timers.erase(std::remove(timers.begin(), timers.end(), id), timers.end());
      return true;
    }};

const void* CLAP_ABI hostExtension(const clap_host_t*, const char* id) {
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
  return std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0 ? &kTimers : nullptr;
}

void CLAP_ABI noRequest(const clap_host_t*) {}

clap_event_header_t header(uint32_t size, uint16_t type, uint32_t frame) {
  return clap_event_header_t{size, frame, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

}  // namespace

TestHost::TestHost()
    : record{CLAP_VERSION, this, "Quorlin tests", "", "", "1", hostExtension, noRequest, noRequest, noRequest} {}

ClapEvents::ClapEvents()
    : input{this,
            [](const clap_input_events_t* list) {
              return static_cast<uint32_t>(static_cast<const ClapEvents*>(list->ctx)->events.size());
            },
            [](const clap_input_events_t* list, uint32_t index) {
              return &static_cast<const ClapEvents*>(list->ctx)->at<clap_event_header_t>(index);
            }},
      output{this, [](const clap_output_events_t* list, const clap_event_header_t* event) {
               const auto* bytes = reinterpret_cast<const uint8_t*>(event);
               static_cast<ClapEvents*>(list->ctx)->events.emplace_back(bytes, bytes + event->size);
               return true;
             }} {}

void ClapEvents::note(uint16_t type, uint32_t frame, int16_t key, double velocity, int32_t noteId) {
  add(clap_event_note_t{header(sizeof(clap_event_note_t), type, frame), noteId, 0, 0, key, velocity});
}

void ClapEvents::midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
  add(clap_event_midi_t{header(sizeof(clap_event_midi_t), CLAP_EVENT_MIDI, frame), 0, {status, data1, data2}});
}

void ClapEvents::parameter(uint32_t frame, clap_id id, double value) {
  add(clap_event_param_value_t{header(sizeof(clap_event_param_value_t), CLAP_EVENT_PARAM_VALUE, frame), id,
                               nullptr, -1, -1, -1, -1, value});
}

std::vector<uint16_t> ClapEvents::types() const {
  std::vector<uint16_t> result;
  for (size_t i = 0; i < events.size(); ++i) result.push_back(at<clap_event_header_t>(i).type);
  return result;
}

PluginInstance::PluginInstance(TestHost& host, double sampleRate) {
  const auto* factory = static_cast<const clap_plugin_factory_t*>(moduleFactory(CLAP_PLUGIN_FACTORY_ID));
  plugin = factory->create_plugin(factory, &host.record, kPluginId);
  if (!plugin || !plugin->init(plugin) || !plugin->activate(plugin, sampleRate, 1, 4096)) {
    throw std::runtime_error("the plug-in was not made");
  }
}

PluginInstance::~PluginInstance() {
  plugin->deactivate(plugin);
  plugin->destroy(plugin);
}

clap_process_status PluginInstance::process(uint32_t frames, float* left, float* right, const ClapEvents& in,
                                            const ClapEvents* out) {
  static const clap_output_events_t dropped = {nullptr, [](const clap_output_events_t*, const clap_event_header_t*) {
                                                 return false;
                                               }};
  float* channels[] = {left, right};
  clap_audio_buffer_t output{channels, nullptr, 2, 0, 0};
  const clap_process_t block{-1, frames, nullptr, nullptr, &output, 0, 1, in.in(), out ? out->out() : &dropped};
  return plugin->process(plugin, &block);
}

double PluginInstance::value(clap_id id) const {
  double result = -1.0;
  extension<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_value(plugin, id, &result);
  return result;
}
