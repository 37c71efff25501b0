// clap.log: a plug-in's messages on standard error, one line each after its
// name. A message from the audio thread is never printed there: it waits in a
// fixed ring (dropped and counted when the ring is full) until the main
// thread prints it, so the audio thread neither locks nor writes.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "clap/interface/clap_abi_extensions.h"
#include "tools/hosting/clap/thread_roles.h"
#include "tools/hosting/message_ring.h"

class ClapLog {
 public:
  ClapLog(std::string pluginName, const ThreadRoles& threads);

  // Any thread.
  void write(clap_log_severity severity, const char* message);
  // Main thread: what the audio thread left, oldest first, and how much of it was dropped.
  void printQueued();
  // Main thread: whether printQueued has anything to print.
  bool hasQueued() const { return !queue_.empty() || dropped_.load(std::memory_order_relaxed) != droppedShown_; }

 private:
  void print(clap_log_severity severity, const char* text, size_t length) const;

  std::string pluginName_;
  const ThreadRoles& threads_;
  MessageRing queue_;
  std::atomic<uint64_t> dropped_{0};
  uint64_t droppedShown_ = 0;
};
