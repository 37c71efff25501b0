// Which thread may use the instrument: the audio thread, a period at a time,
// while the gate is open; the main thread while it is closed. Closing waits
// for the period under way to end; the audio thread never waits, it finds the
// gate closed and plays silence.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

class RenderGate {
 public:
  // Audio thread: true when it may render this period, which leave() ends.
  bool enter() {
    int expected = kOpen;
    return state_.compare_exchange_strong(expected, kRendering, std::memory_order_acquire);
  }
  void leave() { state_.store(kOpen, std::memory_order_release); }

  // Main thread.
  void close() {
    for (int expected = kOpen; !state_.compare_exchange_weak(expected, kClosed, std::memory_order_acquire);
         expected = kOpen) {
      if (expected == kClosed) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void open() { state_.store(kOpen, std::memory_order_release); }

 private:
  static constexpr int kOpen = 0;
  static constexpr int kRendering = 1;
  static constexpr int kClosed = 2;
  std::atomic<int> state_{kClosed};
};
