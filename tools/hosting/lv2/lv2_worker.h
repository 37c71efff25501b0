// worker:schedule. Offline, the work a plug-in asks for in run is done as
// soon as run returns, on the same thread, and its responses are handed back
// at once, so its effect is heard from the very next block, the same at
// every block size. Live, between startThread and stopThread, the work is
// done on a thread of its own, so that a plug-in's loading of a file never
// holds up the audio thread, and the responses are handed back after a later
// run. The queues have a fixed size, reserved when the worker is made, so
// scheduling never allocates.
#pragma once

#include <lilv/lilv.h>
#include <lv2/worker/worker.h>
#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "tools/hosting/message_ring.h"

class Lv2Worker {
 public:
  Lv2Worker();
  ~Lv2Worker();
  Lv2Worker(const Lv2Worker&) = delete;
  Lv2Worker& operator=(const Lv2Worker&) = delete;

  // The feature's data, handed to the plug-in.
  LV2_Worker_Schedule* schedule() { return &schedule_; }
  // The instance whose work it does; none (null) for a plug-in without a worker.
  void attach(LilvInstance* instance);
  // Hands the responses back (offline, after doing the work asked for so
  // far); after a run, also tells the plug-in that the run is over.
  void runPending(bool afterRun);
  // Live: from now on the work is done on a thread of its own, until
  // stopThread, which does what is still asked for and hands it back: call
  // it before the instance is deactivated, while nothing runs.
  void startThread();
  void stopThread();

 private:
  static LV2_Worker_Status scheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
  static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data);
  void doWork();
  void handBack();
  void joinThread();

  LV2_Worker_Schedule schedule_;
  const LV2_Worker_Interface* interface_ = nullptr;
  LV2_Handle handle_ = nullptr;
  MessageRing requests_, responses_;
  std::thread thread_;
  // Posted by the audio thread when it has asked for work (a semaphore's post
  // neither locks nor waits).
  sem_t wake_;
  std::atomic<bool> stopping_{false};
};
