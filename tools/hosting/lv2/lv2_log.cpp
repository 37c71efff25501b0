#include "tools/hosting/lv2/lv2_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// The log whose instance this thread is rendering, if any.
thread_local const Lv2Log* renderingFor = nullptr;

}  // namespace

Lv2Log::Lv2Log(std::string pluginName) : feature_{this, logPrintf, logVprintf}, log_(std::move(pluginName)) {}

Lv2Log::Rendering::Rendering(const Lv2Log& log) { renderingFor = &log; }

Lv2Log::Rendering::~Rendering() { renderingFor = nullptr; }

int Lv2Log::logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = logVprintf(handle, type, format, arguments);
  va_end(arguments);
  return written;
}

// Formatted into a buffer of its own, which on the audio thread neither
// allocates nor locks.
int Lv2Log::logVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list arguments) {
  auto& log = *static_cast<Lv2Log*>(handle);
  char message[QueuedLog::kLongestMessage];
  const int written = std::vsnprintf(message, sizeof message, format, arguments);
  if (written < 0) return written;
  const size_t length = std::min(static_cast<size_t>(written), sizeof message - 1);
  log.log_.write(message, length, log.deferred_ && renderingFor == &log);
  return written;
}
