// A module's resources on Windows: the resource section the linker built
// from the module's resource script.
#include <windows.h>

#include "platform/module_resource.h"

namespace platform {

const uint8_t* loadModuleResource(ModuleHandle module, const char* name, const char* type, uint32_t* size) {
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(handle, name, type);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(handle, found);
  if (!loaded) return nullptr;
  *size = SizeofResource(handle, found);
  return static_cast<const uint8_t*>(LockResource(loaded));
}

}  // namespace platform
