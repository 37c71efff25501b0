// Linux has no resource section: a module lists the bytes it carries in this
// table, which the module defines and loadModuleResource searches.
#pragma once

#include <cstdint>

namespace platform {

struct EmbeddedResource {
  const char* name;
  const char* type;
  const uint8_t* bytes;
  uint32_t size;
};

}  // namespace platform

extern const platform::EmbeddedResource moduleResources[];
extern const int moduleResourceCount;
