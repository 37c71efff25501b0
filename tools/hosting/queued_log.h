// A plug-in's log: its messages on standard error, one line each after its
// name. A message written on an audio thread, which must neither lock nor
// write, is never printed there: it waits in a fixed ring (dropped and
// counted when the ring is full) until the main thread prints it. LV2's
// log:log and CLAP's clap.log both write through here.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/hosting/message_ring.h"

class QueuedLog {
 public:
  // A longer message is cut there.
  static constexpr size_t kLongestMessage = 1024;

  explicit QueuedLog(std::string pluginName);

  // Any thread: the message, its line end left out, printed now, or queued
  // when `fromAudioThread`.
  void write(const char* text, size_t length, bool fromAudioThread);
  // Main thread: what the audio thread left, oldest first, and how much of it was dropped.
  void printQueued();
  // Main thread: whether printQueued has anything to print.
  bool hasQueued() const { return !queue_.empty() || dropped_.load(std::memory_order_relaxed) != droppedShown_; }

 private:
  void print(const char* text, size_t length) const;

  std::string pluginName_;
  MessageRing queue_;
  std::atomic<uint64_t> dropped_{0};
  uint64_t droppedShown_ = 0;
};
