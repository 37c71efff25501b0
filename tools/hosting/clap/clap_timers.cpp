#include "tools/hosting/clap/clap_timers.h"

#include <algorithm>

bool ClapTimers::add(uint32_t periodMilliseconds, clap_id* id) {
  if (id == nullptr || nextId_ == CLAP_INVALID_ID) return false;
  const std::chrono::milliseconds period(std::max<uint32_t>(periodMilliseconds, 1));
  try {
    timers_.push_back({nextId_, period, std::chrono::steady_clock::now() + period});
  } catch (...) {  // out of memory: called by the plug-in, so no exception may leave
    return false;
  }
  *id = nextId_++;
  return true;
}

bool ClapTimers::remove(clap_id id) {
  const auto timer = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
  if (timer == timers_.end()) return false;
  timers_.erase(timer);
  return true;
}

void ClapTimers::serve(const clap_plugin_t* plugin, const clap_plugin_timer_support_t* support) {
  if (support == nullptr || support->on_timer == nullptr || timers_.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  std::vector<clap_id> due;
  for (Timer& timer : timers_) {
    if (timer.due > now) continue;
    due.push_back(timer.id);
    // A late timer is called once, not once for every period it missed.
    while (timer.due <= now) timer.due += timer.period;
  }
  for (const clap_id id : due) {
    const bool stillThere = std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (stillThere) support->on_timer(plugin, id);
  }
}
