#include "tools/hosting/lv2/lv2_worker.h"

#include <cstring>
#include <utility>

namespace {

// Room for the messages of one block; a plug-in told "no space" asks again.
constexpr size_t kQueueBytes = 64 * 1024;
// Responses may ask for more work; a plug-in that never stops asking is cut off.
constexpr int kMostRounds = 16;

}  // namespace

bool Lv2Worker::Queue::push(uint32_t size, const void* data) {
  if (bytes.size() - used < sizeof size + size) return false;
  std::memcpy(bytes.data() + used, &size, sizeof size);
  if (size > 0) std::memcpy(bytes.data() + used + sizeof size, data, size);
  used += sizeof size + size;
  return true;
}

Lv2Worker::Lv2Worker() : schedule_{this, scheduleWork} {
  for (Queue* queue : {&requests_, &responses_, &taken_}) queue->bytes.resize(kQueueBytes);
}

void Lv2Worker::attach(LilvInstance* instance) {
  interface_ = static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(instance, LV2_WORKER__interface));
  handle_ = lilv_instance_get_handle(instance);
  if (interface_ != nullptr && interface_->work == nullptr) interface_ = nullptr;
}

LV2_Worker_Status Lv2Worker::scheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data) {
  return static_cast<Lv2Worker*>(handle)->requests_.push(size, data) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
}

LV2_Worker_Status Lv2Worker::respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
  return static_cast<Lv2Worker*>(handle)->responses_.push(size, data) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
}

template <typename Deliver>
void Lv2Worker::drain(Queue& queue, Queue& spare, Deliver deliver) {
  // What is delivered may queue more: it waits in `queue` for the next round.
  std::swap(queue.bytes, spare.bytes);
  const size_t used = std::exchange(queue.used, 0);
  for (size_t at = 0; at < used;) {
    uint32_t size = 0;
    std::memcpy(&size, spare.bytes.data() + at, sizeof size);
    deliver(size, spare.bytes.data() + at + sizeof size);
    at += sizeof size + size;
  }
}

void Lv2Worker::runPending(bool afterRun) {
  if (interface_ == nullptr) {
    requests_.used = 0;
    return;
  }
  for (int round = 0; round < kMostRounds && (requests_.used > 0 || responses_.used > 0); ++round) {
    drain(requests_, taken_, [this](uint32_t size, const void* data) { interface_->work(handle_, respond, this, size, data); });
    if (interface_->work_response != nullptr) {
      drain(responses_, taken_, [this](uint32_t size, const void* data) { interface_->work_response(handle_, size, data); });
    } else {
      responses_.used = 0;
    }
  }
  requests_.used = 0;
  responses_.used = 0;
  if (afterRun && interface_->end_run != nullptr) interface_->end_run(handle_);
}
