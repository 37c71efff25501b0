#include "tools/hosting/lv2/lv2_host_features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

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

Lv2HostFeatures::Lv2HostFeatures(Lv2Log& log, const Lv2Timing& timing) : timing_(timing) {
  const LV2_URID intType = mapUri(LV2_ATOM__Int);
  const auto option = [](LV2_URID key, uint32_t size, LV2_URID type, const void* value) {
    return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, key, size, type, value};
  };
  options_ = {
      option(mapUri(LV2_PARAMETERS__sampleRate), sizeof(float), mapUri(LV2_ATOM__Float), &timing_.sampleRate),
      option(mapUri(LV2_BUF_SIZE__minBlockLength), sizeof(int32_t), intType, &minimumBlock_),
      option(mapUri(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType, &timing_.blockSize),
      option(mapUri(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), intType, &timing_.usualBlockSize),
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
      {LV2_LOG__log, log.feature()},
  };
  for (const LV2_Feature& feature : features_) pointers_.push_back(&feature);
  pointers_.push_back(nullptr);
}
