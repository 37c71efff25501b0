// clap.timer-support: the periodic timers a plug-in registers (its editor's
// redraws, mostly), each called on the main thread at the first of the
// main thread's regular calls after it falls due.
#pragma once

#include <chrono>
#include <vector>

#include "clap/interface/clap_abi_extensions.h"

class ClapTimers {
 public:
  bool add(uint32_t periodMilliseconds, clap_id* id);
  bool remove(clap_id id);
  bool empty() const { return timers_.empty(); }
  // Calls the plug-in's on_timer for each timer due, which may add or remove timers meanwhile.
  void serve(const clap_plugin_t* plugin, const clap_plugin_timer_support_t* support);

 private:
  struct Timer {
    clap_id id;
    std::chrono::milliseconds period;
    std::chrono::steady_clock::time_point due;
  };
  std::vector<Timer> timers_;
  clap_id nextId_ = 0;
};
