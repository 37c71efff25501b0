// The features a host hands the plug-in and its UI, looked up by URI.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

// The data the host gives with the feature `uri`; null when it gives none.
inline const void* featureData(const LV2_Feature* const* features, const char* uri) {
  for (; features && *features; ++features) {
    if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
  }
  return nullptr;
}
