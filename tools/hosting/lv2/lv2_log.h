// log:log for one LV2 instance (queued_log.h). Offline every message is
// printed as it comes, in order with everything else the render prints.
// Played live, a message logged while the instance renders (in run, or in a
// worker's response) waits for the main thread: LV2 allows a plug-in to log
// from run, and the audio thread must neither lock nor make a system call.
#pragma once

#include <lv2/log/log.h>

#include <cstdarg>
#include <string>

#include "tools/hosting/queued_log.h"

class Lv2Log {
 public:
  explicit Lv2Log(std::string pluginName);
  Lv2Log(const Lv2Log&) = delete;
  Lv2Log& operator=(const Lv2Log&) = delete;

  // The feature's data, handed to the plug-in.
  LV2_Log_Log* feature() { return &feature_; }
  // Played live: from now on, messages logged while rendering wait.
  void deferWhileRendering() { deferred_ = true; }
  // Main thread: what waits, oldest first, and how much of it was dropped.
  void printQueued() { log_.printQueued(); }

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

  LV2_Log_Log feature_;
  bool deferred_ = false;
  QueuedLog log_;
};
