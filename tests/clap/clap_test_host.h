// A host for the CLAP plug-in's tests: it creates Quorlin through the
// module's factory and drives it through its C interface alone, as a host
// that loaded quorlin.clap would, and records what the plug-in asks of it
// (flushes, value rescans, timers) and sends it (output events).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "clap/interface/clap_abi.h"
#include "clap/interface/clap_abi_extensions.h"

struct TestHost {
  TestHost();
  clap_host_t record;
  int flushes = 0;
  int valueRescans = 0;
  std::vector<clap_id> timers;  // registered and not unregistered
};

// A list of events of any kind, each kept as its bytes: a block's input, or
// what the plug-in sends back.
class ClapEvents {
 public:
  ClapEvents();
  template <typename Event>
  void add(const Event& event) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&event);
    events.emplace_back(bytes, bytes + sizeof event);
  }
  void note(uint16_t type, uint32_t frame, int16_t key, double velocity = 0.0, int32_t noteId = -1);
  void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
  void parameter(uint32_t frame, clap_id id, double value);

  const clap_input_events_t* in() const { return &input; }
  const clap_output_events_t* out() const { return &output; }
  std::vector<uint16_t> types() const;
  template <typename Event>
  const Event& at(size_t index) const {
    return *reinterpret_cast<const Event*>(events.at(index).data());
  }

 private:
  std::vector<std::vector<uint8_t>> events;
  clap_input_events_t input;
  clap_output_events_t output;
};

// One activated instance of the plug-in, destroyed with this object.
class PluginInstance {
 public:
  explicit PluginInstance(TestHost& host, double sampleRate = 48000.0);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  const clap_plugin_t* plugin;
  template <typename Extension>
  const Extension* extension(const char* id) const {
    return static_cast<const Extension*>(plugin->get_extension(plugin, id));
  }
  /// One block into `left` and `right`; what the plug-in sends goes to `out`,
  /// or nowhere (and allocates nothing) without one.
  clap_process_status process(uint32_t frames, float* left, float* right, const ClapEvents& in,
                              const ClapEvents* out = nullptr);
  double value(clap_id id) const;
};
