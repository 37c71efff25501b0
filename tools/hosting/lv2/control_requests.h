// Control values on their way from the interface thread (a UI) to a plug-in
// run on the audio thread, without a lock or an allocation: for each port the
// latest value asked for and how many times one was asked. A run takes each
// port's latest value once; a value asked for twice before a run is taken
// once, and none is ever dropped. The interface thread can tell a value it
// asked for that no run has taken yet, so that it neither shows the UI an
// older value nor takes the waiting one for the sound's.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

class ControlRequests {
 public:
  explicit ControlRequests(size_t ports) : values_(ports), asked_(ports), taken_(ports) {}

  // Interface thread.
  void request(uint32_t port, float value) {
    values_[port].store(value, std::memory_order_relaxed);
    asked_[port].fetch_add(1, std::memory_order_release);
    waiting_.store(true, std::memory_order_release);
  }
  // The value asked for `port` that no run has taken yet, if any.
  std::optional<float> waiting(uint32_t port) const {
    if (asked_[port].load(std::memory_order_relaxed) == taken_[port].load(std::memory_order_acquire)) return {};
    return values_[port].load(std::memory_order_relaxed);
  }

  // Audio thread: hands each port's value asked for since the last take to
  // apply(port, value), which must make it the sound's before this returns.
  template <typename Apply>
  void take(Apply apply) {
    if (!waiting_.exchange(false, std::memory_order_acquire)) return;
    for (uint32_t port = 0; port < asked_.size(); ++port) {
      const uint32_t asked = asked_[port].load(std::memory_order_acquire);
      if (asked == taken_[port].load(std::memory_order_relaxed)) continue;
      apply(port, values_[port].load(std::memory_order_relaxed));
      taken_[port].store(asked, std::memory_order_release);
    }
  }

 private:
  std::vector<std::atomic<float>> values_;
  std::vector<std::atomic<uint32_t>> asked_;
  std::vector<std::atomic<uint32_t>> taken_;
  std::atomic<bool> waiting_{false};  // some port was asked for since the last take
};
