#include "tools/hosting/lv2/lv2_worker.h"

#include <cerrno>

namespace {

// Room for the messages of one block; a plug-in told "no space" asks again.
constexpr size_t kQueueBytes = 64 * 1024;
// Responses may ask for more work; a plug-in that never stops asking is cut off.
constexpr int kMostRounds = 16;

}  // namespace

Lv2Worker::Lv2Worker() : schedule_{this, scheduleWork}, requests_(kQueueBytes), responses_(kQueueBytes) {
  sem_init(&wake_, 0, 0);
}

Lv2Worker::~Lv2Worker() {
  joinThread();
  sem_destroy(&wake_);
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

void Lv2Worker::doWork() {
  requests_.popAll([this](uint32_t size, const void* data) {
    if (interface_ != nullptr) interface_->work(handle_, respond, this, size, data);
  });
}

void Lv2Worker::handBack() {
  responses_.popAll([this](uint32_t size, const void* data) {
    if (interface_ != nullptr && interface_->work_response != nullptr) interface_->work_response(handle_, size, data);
  });
}

void Lv2Worker::runPending(bool afterRun) {
  if (thread_.joinable()) {
    handBack();
    if (!requests_.empty()) sem_post(&wake_);
  } else {
    for (int round = 0; round < kMostRounds && !(requests_.empty() && responses_.empty()); ++round) {
      doWork();
      handBack();
    }
  }
  if (afterRun && interface_ != nullptr && interface_->end_run != nullptr) interface_->end_run(handle_);
}

void Lv2Worker::startThread() {
  if (thread_.joinable()) return;
  stopping_.store(false);
  thread_ = std::thread([this] {
    while (sem_wait(&wake_) == 0 || errno == EINTR) {
      if (stopping_.load()) return;
      doWork();
    }
  });
}

void Lv2Worker::stopThread() {
  if (!thread_.joinable()) return;
  joinThread();
  runPending(false);
}

void Lv2Worker::joinThread() {
  if (!thread_.joinable()) return;
  stopping_.store(true);
  sem_post(&wake_);
  thread_.join();
}
