#include "tools/hosting/lv2/lv2_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// Room for the messages of a few periods of a plug-in that logs a line a run.
constexpr size_t kWaitingBytes = 64 * 1024;
// The longest message kept; a longer one is cut there.
constexpr size_t kLongestMessage = 1024;

// The log whose instance this thread is rendering, if any.
thread_local const Lv2Log* renderingFor = nullptr;

std::string withoutLineEnd(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

Lv2Log::Lv2Log(std::string pluginName)
    : pluginName_(std::move(pluginName)), log_{this, logPrintf, logVprintf}, waiting_(kWaitingBytes) {}

Lv2Log::Rendering::Rendering(const Lv2Log& log) { renderingFor = &log; }

Lv2Log::Rendering::~Rendering() { renderingFor = nullptr; }

int Lv2Log::logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = logVprintf(handle, type, format, arguments);
  va_end(arguments);
  return written;
}

// Formatted into a buffer of its own: on the audio thread that neither
// allocates nor locks, and printed with one fprintf call, so that messages of
// instances on other threads do not interleave within a line.
int Lv2Log::logVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list arguments) {
  auto& log = *static_cast<Lv2Log*>(handle);
  char message[kLongestMessage];
  const int written = std::vsnprintf(message, sizeof message, format, arguments);
  if (written < 0) return written;
  const size_t length = std::min(static_cast<size_t>(written), sizeof message - 1);
  if (log.deferred_ && renderingFor == &log) {
    if (!log.waiting_.push(static_cast<uint32_t>(length), message)) log.dropped_.fetch_add(1, std::memory_order_relaxed);
    return written;
  }
  const bool endsLine = length > 0 && message[length - 1] == '\n';
  std::fprintf(stderr, "%s: %s%s", log.pluginName_.c_str(), message, endsLine ? "" : "\n");
  return written;
}

std::vector<std::string> Lv2Log::takeMessages() {
  std::vector<std::string> lines;
  waiting_.popAll([&](uint32_t size, const void* data) {
    lines.push_back(pluginName_ + ": " + withoutLineEnd(std::string(static_cast<const char*>(data), size)));
  });
  const uint64_t dropped = dropped_.load(std::memory_order_relaxed);
  if (dropped != droppedTold_) {
    lines.push_back(pluginName_ + ": " + std::to_string(dropped - droppedTold_) +
                    " messages logged on the audio thread were dropped (too many at once)");
    droppedTold_ = dropped;
  }
  return lines;
}
