// One loaded VST 2 module file (a shared object on Linux, a DLL on Windows)
// and the entry point through which a host creates instances of its plug-in.
#pragma once

#include <string>

#include "tools/hosting/loaded_library.h"
#include "vst2/interface/vst2_abi.h"

class ModuleLibrary {
 public:
  // Loads the file and finds "VSTPluginMain", or else the older "main".
  // Throws ToolError with kExitBadModule when either step fails.
  explicit ModuleLibrary(const std::string& path);

  const std::string& path() const { return library_.path(); }
  VstPluginMainProc entryPoint() const { return entryPoint_; }
  // The entry function exported under exactly this name, or null.
  VstPluginMainProc entry(const char* name) const;

 private:
  LoadedLibrary library_;
  VstPluginMainProc entryPoint_ = nullptr;
};

// The module a host finds when none is named: quorlin.so or quorlin.dll beside
// the executable (on Linux, when there is none, the installed lib/lxvst/quorlin.so).
std::string defaultModulePath();
