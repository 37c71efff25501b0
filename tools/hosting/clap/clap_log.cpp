#include "tools/hosting/clap/clap_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

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

ClapLog::ClapLog(std::string pluginName, const ThreadRoles& threads) : threads_(threads), log_(std::move(pluginName)) {}

void ClapLog::write(clap_log_severity severity, const char* message) {
  if (message == nullptr) return;
  char text[QueuedLog::kLongestMessage + 32];
  const int length = std::snprintf(text, sizeof text, "%s%.*s", severityWords(severity),
                                   static_cast<int>(strnlen(message, QueuedLog::kLongestMessage)), message);
  if (length > 0) log_.write(text, std::min(static_cast<size_t>(length), sizeof text - 1), threads_.isAudioThread());
}
