// Control values on their way from a UI on the interface thread to a
// plug-in run on the audio thread: a fixed ring of (port, value) pairs with
// one writer and one reader, which neither allocates nor locks. A value that
// finds the ring full is dropped; the UI sends its next one soon enough.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class ControlQueue {
 public:
  struct Change {
    uint32_t port;
    float value;
  };

  // The writer's side; false when the ring is full.
  bool push(Change change) {
    const uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
    changes_[tail % kCapacity] = change;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The reader's side: hands every waiting change to `apply`, oldest first.
  template <typename Apply>
  void drain(Apply apply) {
    uint32_t head = head_.load(std::memory_order_relaxed);
    const uint32_t tail = tail_.load(std::memory_order_acquire);
    for (; head != tail; ++head) apply(changes_[head % kCapacity]);
    head_.store(head, std::memory_order_release);
  }

 private:
  static constexpr uint32_t kCapacity = 1024;  // a power of two, so the counters may wrap
  std::array<Change, kCapacity> changes_{};
  std::atomic<uint32_t> head_{0};
  std::atomic<uint32_t> tail_{0};
};
