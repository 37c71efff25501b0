// The LV2 worker offline (the work done on the rendering thread right after
// the run) and live (on a thread of its own, the responses after a later run).
#include "tools/hosting/lv2/lv2_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A plug-in whose work answers with what it was given.
struct EchoPlugin {
  std::mutex mutex;
  std::vector<std::thread::id> workThreads;
  std::vector<std::pair<std::string, std::thread::id>> responses;
  int runsEnded = 0;

  size_t worked() {
    const std::lock_guard<std::mutex> lock(mutex);
    return workThreads.size();
  }
};

// Counted as worked once its response is on its way: a test that sees the
// work done finds the response there to be handed back.
LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle to,
                       uint32_t size, const void* data) {
  auto& plugin = *static_cast<EchoPlugin*>(handle);
  const LV2_Worker_Status status = respond(to, size, data);
  const std::lock_guard<std::mutex> lock(plugin.mutex);
  plugin.workThreads.push_back(std::this_thread::get_id());
  return status;
}

LV2_Worker_Status workResponse(LV2_Handle handle, uint32_t size, const void* data) {
  static_cast<EchoPlugin*>(handle)->responses.emplace_back(std::string(static_cast<const char*>(data), size),
                                                           std::this_thread::get_id());
  return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status endRun(LV2_Handle handle) {
  ++static_cast<EchoPlugin*>(handle)->runsEnded;
  return LV2_WORKER_SUCCESS;
}

const LV2_Worker_Interface kWorkerInterface{work, workResponse, endRun};
const void* extensionData(const char*) { return &kWorkerInterface; }
const LV2_Descriptor kDescriptor{"urn:test:echo", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, extensionData};

class Lv2WorkerTest : public testing::Test {
 protected:
  Lv2WorkerTest() : instance{&kDescriptor, &plugin, nullptr} { worker.attach(&instance); }

  void ask(const std::string& message) {
    const LV2_Worker_Schedule& schedule = *worker.schedule();
    ASSERT_EQ(schedule.schedule_work(schedule.handle, static_cast<uint32_t>(message.size()), message.data()),
              LV2_WORKER_SUCCESS);
  }

  EchoPlugin plugin;
  LilvInstance instance;
  Lv2Worker worker;
  const std::thread::id audioThread = std::this_thread::get_id();
};

TEST_F(Lv2WorkerTest, OfflineTheWorkIsDoneAndAnsweredRightAfterTheRun) {
  ask("table");
  worker.runPending(true);
  ASSERT_EQ(plugin.workThreads, std::vector<std::thread::id>{audioThread});
  EXPECT_EQ(plugin.responses, (std::vector<std::pair<std::string, std::thread::id>>{{"table", audioThread}}));
  EXPECT_EQ(plugin.runsEnded, 1);
}

TEST_F(Lv2WorkerTest, LiveTheWorkIsDoneOnAThreadOfItsOwnAndAnsweredAfterALaterRun) {
  worker.startThread();
  ask("sample");
  worker.runPending(true);
  EXPECT_TRUE(plugin.responses.empty());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (plugin.worked() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(plugin.worked(), 1u);
  EXPECT_NE(plugin.workThreads[0], audioThread);
  worker.runPending(true);
  EXPECT_EQ(plugin.responses, (std::vector<std::pair<std::string, std::thread::id>>{{"sample", audioThread}}));

  // Stopping does what is still asked for and hands it back: nothing is lost.
  ask("last");
  worker.stopThread();
  ASSERT_EQ(plugin.responses.size(), 2u);
  EXPECT_EQ(plugin.responses[1].first, "last");
  EXPECT_EQ(plugin.runsEnded, 2);
}

}  // namespace
