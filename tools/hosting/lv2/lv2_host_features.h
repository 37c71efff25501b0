// The features quorlin-host gives an LV2 plug-in: urid:map and unmap,
// options (the sample rate, the block lengths and the size of every atom
// sequence), bufsz:boundedBlockLength, worker:schedule,
// state:loadDefaultState and log:log (lv2_log.h).
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/hosting/lv2/lv2_log.h"
#include "tools/hosting/lv2/lv2_worker.h"

// What an instance is made for; a new rate makes a new instance.
struct Lv2Timing {
  float sampleRate = 44100.0f;
  int32_t blockSize = 512;       // the longest run
  int32_t usualBlockSize = 512;  // the length of most runs
  int32_t sequenceBytes = 0;     // the buffer of every atom port, the MIDI input's too
};

class Lv2HostFeatures {
 public:
  Lv2HostFeatures(Lv2Log& log, const Lv2Timing& timing);
  Lv2HostFeatures(const Lv2HostFeatures&) = delete;
  Lv2HostFeatures& operator=(const Lv2HostFeatures&) = delete;

  // The null-terminated list instantiate and state restore take.
  const LV2_Feature* const* list() const { return pointers_.data(); }
  Lv2Worker& worker() { return worker_; }

 private:
  Lv2Timing timing_;
  int32_t minimumBlock_ = 1;
  std::vector<LV2_Options_Option> options_;
  Lv2Worker worker_;
  std::vector<LV2_Feature> features_;
  std::vector<const LV2_Feature*> pointers_;
};

// True for a feature the host gives (or a plug-in property some Turtle
// lists among the features, which asks nothing of the host).
bool isOfferedFeature(const std::string& uri);
