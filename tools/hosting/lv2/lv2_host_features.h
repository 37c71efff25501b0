// The features quorlin-host gives an LV2 plug-in: urid:map and unmap,
// options (the sample rate, the block lengths and the MIDI sequence's size),
// bufsz:boundedBlockLength, worker:schedule, state:loadDefaultState and
// log:log (its messages to standard error, after its name).
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/hosting/lv2/lv2_worker.h"

struct Lv2Timing {
  float sampleRate = 44100.0f;
  int32_t blockSize = 512;
  int32_t sequenceBytes = 0;  // the MIDI input's buffer
};

class Lv2HostFeatures {
 public:
  Lv2HostFeatures(const std::string& pluginName, const Lv2Timing& timing);
  Lv2HostFeatures(const Lv2HostFeatures&) = delete;
  Lv2HostFeatures& operator=(const Lv2HostFeatures&) = delete;

  // The null-terminated list instantiate and state restore take.
  const LV2_Feature* const* list() const { return pointers_.data(); }
  Lv2Worker& worker() { return worker_; }

 private:
  static int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
  static int logVprintf(LV2_Log_Handle handle, LV2_URID type, const char* format, va_list arguments);

  std::string pluginName_;
  Lv2Timing timing_;
  int32_t minimumBlock_ = 1;
  std::vector<LV2_Options_Option> options_;
  LV2_Log_Log log_;
  Lv2Worker worker_;
  std::vector<LV2_Feature> features_;
  std::vector<const LV2_Feature*> pointers_;
};

// True for a feature the host gives (or a plug-in property some Turtle
// lists among the features, which asks nothing of the host).
bool isOfferedFeature(const std::string& uri);
