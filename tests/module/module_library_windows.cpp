#include <windows.h>

#include "module_library.h"

ModuleLibrary::ModuleLibrary(const std::string& path) {
  handle = LoadLibraryA(path.c_str());
  if (handle == nullptr) loadError = "LoadLibraryA failed with error " + std::to_string(GetLastError());
}

ModuleLibrary::~ModuleLibrary() {
  if (handle != nullptr) FreeLibrary(static_cast<HMODULE>(handle));
}

VstPluginMainProc ModuleLibrary::entry(const char* name) const {
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<VstPluginMainProc>(
      reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)));
}
