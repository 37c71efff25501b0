// worker:schedule for an offline host: the work a plug-in asks for in run is
// done as soon as run returns, on the same thread, and its responses are
// handed back at once, so its effect is heard from the very next block, the
// same at every block size. The queues have a fixed size, reserved when the
// worker is made, so scheduling never allocates.
#pragma once

#include <lilv/lilv.h>
#include <lv2/worker/worker.h>

#include <cstdint>
#include <vector>

class Lv2Worker {
 public:
  Lv2Worker();
  Lv2Worker(const Lv2Worker&) = delete;
  Lv2Worker& operator=(const Lv2Worker&) = delete;

  // The feature's data, handed to the plug-in.
  LV2_Worker_Schedule* schedule() { return &schedule_; }
  // The instance whose work it does; none (null) for a plug-in without a worker.
  void attach(LilvInstance* instance);
  // Does the work asked for so far and hands the responses back; after a
  // run, also tells the plug-in that the run is over.
  void runPending(bool afterRun);

 private:
  // A queue of messages, each a 32-bit size and its bytes.
  struct Queue {
    std::vector<uint8_t> bytes;
    size_t used = 0;
    bool push(uint32_t size, const void* data);
  };
  static LV2_Worker_Status scheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
  static LV2_Worker_Status respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data);
  // Calls `deliver` with each message of `queue`, then empties it.
  template <typename Deliver>
  static void drain(Queue& queue, Queue& spare, Deliver deliver);

  LV2_Worker_Schedule schedule_;
  const LV2_Worker_Interface* interface_ = nullptr;
  LV2_Handle handle_ = nullptr;
  Queue requests_, responses_, taken_;
};
