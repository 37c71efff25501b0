// A host for the CLAP plug-in's tests: it creates Quorlin through the
// module's factory and drives it through its C interface alone, as a host
// that loaded quorlin.clap would, and records what the plug-in asks of it
// and sends it.
#pragma once

#include <cstdint>
#include <vector>

#include "clap/interface/clap_abi.h"
#include "clap/interface/clap_abi_extensions.h"

// What the plug-in asked of the host.
struct HostRequests {
  int flushes = 0;
  int valueRescans = 0;
  std::vector<clap_id> timers;  // registered and not unregistered
};

class TestHost {
 public:
  TestHost();
  const clap_host_t* record() const { return &host; }
  HostRequests requests;

 private:
  clap_host_t host;
};

// Events for one block, in the order added (a host sorts them by frame).
class InputEvents {
 public:
  InputEvents();
  void note(uint16_t type, uint32_t frame, int16_t key, double velocity = 0.0, int32_t noteId = -1);
  void midi(uint32_t frame, uint8_t status, uint8_t data1, uint8_t data2);
  void parameter(uint32_t frame, clap_id id, double value);
  const clap_input_events_t* list() const { return &events; }

 private:
  std::vector<std::vector<uint8_t>> stored;
  clap_input_events_t events;
};

// The events the plug-in sends back.
class OutputEvents {
 public:
  OutputEvents();
  const clap_output_events_t* list() const { return &events; }
  /// The types sent, in order.
  std::vector<uint16_t> types() const;
  const clap_event_header_t& at(size_t index) const;

 private:
  std::vector<std::vector<uint8_t>> stored;
  clap_output_events_t events;
};

// One instance of the plug-in, destroyed with this object.
class PluginInstance {
 public:
  explicit PluginInstance(TestHost& host);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  const clap_plugin_t* plugin() const { return instance; }
  template <typename Extension>
  const Extension* extension(const char* id) const {
    return static_cast<const Extension*>(instance->get_extension(instance, id));
  }
  bool activate(double sampleRate);
  /// One block into `left` and `right`.
  clap_process_status process(uint32_t frames, float* left, float* right, const InputEvents& in,
                              const OutputEvents* out = nullptr);
  double value(clap_id id) const;

 private:
  const clap_plugin_t* instance;
  bool active = false;
};
