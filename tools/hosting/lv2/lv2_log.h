// log:log for one LV2 instance: each message a line on standard error after
// the plug-in's name. Offline every message is printed as it comes, in order
// with everything else the render prints. Played live, a message logged while
// the instance renders (in run, or in a worker's response) is not printed on
// the audio thread, which must neither lock nor make a system call: it waits
// in a ring that neither allocates nor locks (dropped and counted when full)
// until the main thread takes it. Messages from other threads (the worker's,
// the main thread's) are printed as they come.
#pragma once

#include <lv2/log/log.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/hosting/lv2/message_ring.h"

class Lv2Log {
 public:
  explicit Lv2Log(std::string pluginName);
  Lv2Log(const Lv2Log&) = delete;
  Lv2Log& operator=(const Lv2Log&) = delete;

  // The feature's data, handed to the plug-in.
  LV2_Log_Log* feature() { return &log_; }
  // Played live: from now on, messages logged while rendering wait.
  void deferWhileRendering() { deferred_ = true; }
  // The messages waiting, a line each after the plug-in's name, and a line
  // counting those dropped since the last call. Main thread.
  std::vector<std::string> takeMessages();

  // Marks the thread that makes it as rendering for this log, while it lives.
  class Rendering {
   public:
    explicit Rendering(const Lv2Log& log);
    ~Rendering();
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;
  };

 private:
  static int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
  static int logVprintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list arguments);

  std::string pluginName_;
  LV2_Log_Log log_;
  bool deferred_ = false;
  MessageRing waiting_;
  std::atomic<uint64_t> dropped_{0};
  uint64_t droppedTold_ = 0;  // main thread
};
