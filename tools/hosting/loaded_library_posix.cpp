#include <dlfcn.h>

#include "tools/hosting/loaded_library.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

std::string lastLoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown reason";
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) : path_(path) {
  // Without a slash dlopen would search the library path instead of the named file.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const std::string message = path + ": cannot load the module: " + lastLoaderError();
    if (!identifyFile(path).exists) throw MissingFile(kExitBadModule, message);
    throw ToolError(kExitBadModule, message);
  }
}

LoadedLibrary::~LoadedLibrary() { dlclose(handle_); }

void* LoadedLibrary::symbol(const char* name) const { return dlsym(handle_, name); }
