// Control values on their way from a UI on the interface thread to a
// plug-in run on the audio thread, through a ring that neither allocates nor
// locks. A value that finds the ring full is dropped; the UI sends its next
// one soon enough.
#pragma once

#include <cstdint>
#include <cstring>

#include "tools/hosting/message_ring.h"

class ControlQueue {
 public:
  struct Change {
    uint32_t port;
    float value;
  };

  // The writer's side; false when the ring is full.
  bool push(Change change) { return ring_.push(sizeof change, &change); }

  // The reader's side: hands every waiting change to `apply`, oldest first.
  template <typename Apply>
  void drain(Apply apply) {
    ring_.popAll([&apply](uint32_t, const void* data) {
      Change change;
      std::memcpy(&change, data, sizeof change);
      apply(change);
    });
  }

 private:
  static constexpr size_t kChanges = 1024;
  MessageRing ring_{kChanges * (sizeof(uint32_t) + sizeof(Change))};
};
