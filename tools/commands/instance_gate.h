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

#include "tools/hosting/module_library.h"
#include "tools/hosting/plugin_session.h"

class InstanceGate {
 public:
  // Closes the instance and lets a waiting job try again.
  using Instance = std::unique_ptr<PluginSession, std::function<void(PluginSession*)>>;

  explicit InstanceGate(const ModuleLibrary& module) : module_(module) {}

  // Throws InstanceRefused or ToolError as PluginSession does.
  Instance open();
  const std::string& modulePath() const { return module_.path(); }

 private:
  void closed(PluginSession* session);

  const ModuleLibrary& module_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int alive_ = 0;          // open, or being opened
  uint64_t closings_ = 0;  // instances closed so far
};
