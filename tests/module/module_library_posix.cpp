#include <dlfcn.h>

#include "module_library.h"

ModuleLibrary::ModuleLibrary(const std::string& path) {
  handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) loadError = dlerror();
}

ModuleLibrary::~ModuleLibrary() {
  if (handle != nullptr) dlclose(handle);
}

VstPluginMainProc ModuleLibrary::entry(const char* name) const {
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<VstPluginMainProc>(dlsym(handle, name));
}
