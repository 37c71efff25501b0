// The instances of one loaded module, shared out among the jobs of a render.
//
// Every song gets a fresh instance, so that nothing one song left in the
// plug-in reaches the next. A plug-in may refuse another instance while
// others are alive (the Quorlin module allows eight at once): the job then
// waits until one of ours closes and asks again. A refusal while none of ours
// is alive is the plug-in's answer, and the job reports it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "tools/hosting/instrument_plugin.h"

class InstanceGate {
 public:
  // Closes the instance and lets a waiting job try again.
  using Instance = std::unique_ptr<Instrument, std::function<void(Instrument*)>>;

  explicit InstanceGate(InstrumentPlugin& plugin) : plugin_(plugin) {}

  // Throws InstanceRefused or ToolError as the plug-in's instantiate does.
  Instance open();
  const std::string& pluginName() const { return plugin_.name(); }

 private:
  void closed(Instrument* instrument);

  InstrumentPlugin& plugin_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int alive_ = 0;          // open, or being opened
  uint64_t closings_ = 0;  // instances closed so far
};
