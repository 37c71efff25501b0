#include "tools/hosting/lv2/lv2_host_features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "tools/hosting/lv2/urid_map.h"

namespace {

const char* const kOffered[] = {
    LV2_URID__map,          LV2_URID__unmap,         LV2_OPTIONS__options,        LV2_BUF_SIZE__boundedBlockLength,
    LV2_WORKER__schedule,   LV2_STATE__loadDefaultState, LV2_LOG__log,
    // Properties of the plug-in itself, which some Turtle files list here.
    LV2_CORE__hardRTCapable, LV2_CORE__isLive,       LV2_CORE__inPlaceBroken,
};

}  // namespace

bool isOfferedFeature(const std::string& uri) {
  for (const char* offered : kOffered) {
    if (uri == offered) return true;
  }
  return false;
}

Lv2HostFeatures::Lv2HostFeatures(const std::string& pluginName, const Lv2Timing& timing)
    : pluginName_(pluginName), timing_(timing), log_{this, logPrintf, logVprintf} {
  const LV2_URID intType = mapUri(LV2_ATOM__Int);
  const auto option = [](LV2_URID key, uint32_t size, LV2_URID type, const void* value) {
    return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, key, size, type, value};
  };
  options_ = {
      option(mapUri(LV2_PARAMETERS__sampleRate), sizeof(float), mapUri(LV2_ATOM__Float), &timing_.sampleRate),
      option(mapUri(LV2_BUF_SIZE__minBlockLength), sizeof(int32_t), intType, &minimumBlock_),
      option(mapUri(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType, &timing_.blockSize),
      option(mapUri(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), intType, &timing_.blockSize),
      option(mapUri(LV2_BUF_SIZE__sequenceSize), sizeof(int32_t), intType, &timing_.sequenceBytes),
      LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
  };
  features_ = {
      {LV2_URID__map, uridMap()},
      {LV2_URID__unmap, uridUnmap()},
      {LV2_OPTIONS__options, options_.data()},
      {LV2_BUF_SIZE__boundedBlockLength, nullptr},
      {LV2_WORKER__schedule, worker_.schedule()},
      {LV2_STATE__loadDefaultState, nullptr},
      {LV2_LOG__log, &log_},
  };
  for (const LV2_Feature& feature : features_) pointers_.push_back(&feature);
  pointers_.push_back(nullptr);
}

int Lv2HostFeatures::logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = logVprintf(handle, type, format, arguments);
  va_end(arguments);
  return written;
}

// One fprintf call a message, so that messages of instances on other threads
// do not interleave within a line.
int Lv2HostFeatures::logVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list arguments) {
  const Lv2HostFeatures& features = *static_cast<const Lv2HostFeatures*>(handle);
  char message[1024];
  const int written = std::vsnprintf(message, sizeof message, format, arguments);
  const bool endsLine = written > 0 && message[std::min<size_t>(static_cast<size_t>(written), sizeof message - 1) - 1] == '\n';
  std::fprintf(stderr, "%s: %s%s", features.pluginName_.c_str(), message, endsLine ? "" : "\n");
  return written;
}
