// The built module, loaded the way a host loads it: by file name at run time,
// its entry function looked up by its exported name.
#pragma once

#include <string>

#include "host/vst2_abi.h"

class ModuleLibrary {
 public:
  explicit ModuleLibrary(const std::string& path);
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  bool loaded() const { return handle != nullptr; }
  /// Why loading failed, in the loader's words.
  const std::string& error() const { return loadError; }
  /// The exported entry function of that name, or null.
  VstPluginMainProc entry(const char* name) const;

 private:
  void* handle = nullptr;
  std::string loadError;
};
