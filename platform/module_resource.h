// Finding a block of bytes the module carries by name and type: a Win32
// resource (FindResourceA, LoadResource, LockResource) on Windows, the
// module's embedded-resource table on Linux.
#pragma once

#include <cstdint>

#include "platform/window_system.h"

namespace platform {

/// The resource's bytes and their count, or null when the module has no such
/// resource. The bytes stay valid while the module is loaded.
const uint8_t* loadModuleResource(ModuleHandle module, const char* name, const char* type, uint32_t* size);

}  // namespace platform
