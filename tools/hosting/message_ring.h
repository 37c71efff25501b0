// A fixed ring of messages, each a 32-bit size and its bytes, between one
// thread that pushes and one that pops: neither allocates, locks or waits,
// so either side may be an audio thread. Made (and sized) on another thread.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

class MessageRing {
 public:
  explicit MessageRing(size_t capacityBytes) : bytes_(capacityBytes), message_(capacityBytes) {}

  // The pushing side; false when the message does not fit in the room left.
  bool push(uint32_t size, const void* data) {
    const size_t written = written_.load(std::memory_order_relaxed);
    if (bytes_.size() - (written - read_.load(std::memory_order_acquire)) < sizeof size + size) return false;
    copyIn(written, &size, sizeof size);
    copyIn(written + sizeof size, data, size);
    written_.store(written + sizeof size + size, std::memory_order_release);
    return true;
  }

  // The popping side: hands each message waiting now to deliver(size, data),
  // oldest first; its room is free again before it is delivered.
  template <typename Deliver>
  void popAll(Deliver deliver) {
    const size_t written = written_.load(std::memory_order_acquire);
    for (size_t read = read_.load(std::memory_order_relaxed); read != written;) {
      uint32_t size = 0;
      copyOut(read, &size, sizeof size);
      copyOut(read + sizeof size, message_.data(), size);
      read += sizeof size + size;
      read_.store(read, std::memory_order_release);
      deliver(size, static_cast<const void*>(message_.data()));
    }
  }

  // Either side: whether a message waits (it may change at once).
  bool empty() const { return written_.load(std::memory_order_acquire) == read_.load(std::memory_order_acquire); }

 private:
  // The byte counters only grow; a byte's place is its count modulo the size.
  void copyIn(size_t at, const void* data, size_t size) {
    const size_t start = at % bytes_.size(), first = std::min(size, bytes_.size() - start);
    if (first > 0) std::memcpy(bytes_.data() + start, data, first);
    if (size > first) std::memcpy(bytes_.data(), static_cast<const uint8_t*>(data) + first, size - first);
  }
  void copyOut(size_t at, void* data, size_t size) const {
    const size_t start = at % bytes_.size(), first = std::min(size, bytes_.size() - start);
    if (first > 0) std::memcpy(data, bytes_.data() + start, first);
    if (size > first) std::memcpy(static_cast<uint8_t*>(data) + first, bytes_.data(), size - first);
  }

  std::vector<uint8_t> bytes_;
  // Where the popping side puts a message whole, for its deliverer.
  std::vector<uint8_t> message_;
  std::atomic<size_t> written_{0};
  std::atomic<size_t> read_{0};
};
