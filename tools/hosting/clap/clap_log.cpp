#include "tools/hosting/clap/clap_log.h"

#include <cstdio>
#include <cstring>

namespace {

// Room for a burst of messages from one block; a longer message is cut.
constexpr size_t kQueueBytes = 64 * 1024;
constexpr size_t kLongestMessage = 1024;

const char* severityWords(clap_log_severity severity) {
  switch (severity) {
    case CLAP_LOG_WARNING: return "warning: ";
    case CLAP_LOG_ERROR: return "error: ";
    case CLAP_LOG_FATAL: return "fatal error: ";
    case CLAP_LOG_HOST_MISBEHAVING: return "the host misbehaves: ";
    case CLAP_LOG_PLUGIN_MISBEHAVING: return "misbehaves: ";
    default: return "";
  }
}

}  // namespace

ClapLog::ClapLog(std::string pluginName, const ThreadRoles& threads)
    : pluginName_(std::move(pluginName)), threads_(threads), queue_(kQueueBytes) {}

void ClapLog::write(clap_log_severity severity, const char* message) {
  if (message == nullptr) return;
  const size_t length = strnlen(message, kLongestMessage);
  if (!threads_.isAudioThread()) {
    print(severity, message, length);
    return;
  }
  char record[sizeof severity + kLongestMessage];
  std::memcpy(record, &severity, sizeof severity);
  std::memcpy(record + sizeof severity, message, length);
  if (!queue_.push(static_cast<uint32_t>(sizeof severity + length), record)) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
  }
}

void ClapLog::printQueued() {
  queue_.popAll([this](uint32_t size, const void* data) {
    clap_log_severity severity = CLAP_LOG_INFO;
    std::memcpy(&severity, data, sizeof severity);
    print(severity, static_cast<const char*>(data) + sizeof severity, size - sizeof severity);
  });
  const uint64_t dropped = dropped_.load(std::memory_order_relaxed);
  if (dropped == droppedShown_) return;
  std::fprintf(stderr, "%s: %llu messages from the audio thread dropped: too many at once\n", pluginName_.c_str(),
               static_cast<unsigned long long>(dropped - droppedShown_));
  droppedShown_ = dropped;
}

// One fprintf call a message, so that messages of instances on other threads
// do not interleave within a line.
void ClapLog::print(clap_log_severity severity, const char* text, size_t length) const {
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  std::fprintf(stderr, "%s: %s%.*s\n", pluginName_.c_str(), severityWords(severity), static_cast<int>(length), text);
}
