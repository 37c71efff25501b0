// clap.log: a plug-in's messages on standard error, one line each after its
// name and the severity. A message from the audio thread is never printed
// there: it waits until the main thread prints it (queued_log.h), so the
// audio thread neither locks nor writes.
#pragma once

#include <string>

#include "clap/interface/clap_abi_extensions.h"
#include "tools/hosting/clap/thread_roles.h"
#include "tools/hosting/queued_log.h"

class ClapLog {
 public:
  ClapLog(std::string pluginName, const ThreadRoles& threads);

  // Any thread.
  void write(clap_log_severity severity, const char* message);
  // Main thread: what the audio thread left, oldest first, and how much of it was dropped.
  void printQueued() { log_.printQueued(); }
  // Main thread: whether printQueued has anything to print.
  bool hasQueued() const { return log_.hasQueued(); }

 private:
  const ThreadRoles& threads_;
  QueuedLog log_;
};
