#include "tools/hosting/queued_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// Room for a burst of messages from one block.
constexpr size_t kQueueBytes = 64 * 1024;

}  // namespace

QueuedLog::QueuedLog(std::string pluginName) : pluginName_(std::move(pluginName)), queue_(kQueueBytes) {}

void QueuedLog::write(const char* text, size_t length, bool fromAudioThread) {
  length = std::min(length, kLongestMessage);
  if (!fromAudioThread) {
    print(text, length);
  } else if (!queue_.push(static_cast<uint32_t>(length), text)) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
  }
}

void QueuedLog::printQueued() {
  queue_.popAll([this](uint32_t size, const void* data) { print(static_cast<const char*>(data), size); });
  const uint64_t dropped = dropped_.load(std::memory_order_relaxed);
  if (dropped == droppedShown_) return;
  std::fprintf(stderr, "%s: %llu messages from the audio thread dropped: too many at once\n", pluginName_.c_str(),
               static_cast<unsigned long long>(dropped - droppedShown_));
  droppedShown_ = dropped;
}

// One fprintf call a message, so that messages of instances on other threads
// do not interleave within a line.
void QueuedLog::print(const char* text, size_t length) const {
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  std::fprintf(stderr, "%s: %.*s\n", pluginName_.c_str(), static_cast<int>(length), text);
}
