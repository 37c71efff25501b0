// Host values arrive pointer-sized on 64-bit hosts; the operations take int32.
#pragma once

#include <cstdint>
#include <limits>

#include "vst2/interface/vst2_abi.h"

// Saturates instead of wrapping, so a huge value cannot turn into a small
// valid one and the range checks on the narrowed number still hold.
inline int32_t narrowToInt32(VstIntPtr value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}
