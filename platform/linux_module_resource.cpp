// A module's resources on Linux: the table of embedded bytes the module
// defines (see embedded_resources.h). Names and types compare exactly.
#include <cstring>

#include "platform/embedded_resources.h"
#include "platform/module_resource.h"

namespace platform {

const uint8_t* loadModuleResource(ModuleHandle, const char* name, const char* type, uint32_t* size) {
  for (int i = 0; i < moduleResourceCount; ++i) {
    const EmbeddedResource& resource = moduleResources[i];
    if (std::strcmp(resource.name, name) == 0 && std::strcmp(resource.type, type) == 0) {
      *size = resource.size;
      return resource.bytes;
    }
  }
  return nullptr;
}

}  // namespace platform
