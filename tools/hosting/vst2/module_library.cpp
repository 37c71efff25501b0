#include "tools/hosting/vst2/module_library.h"

#include "tools/system/tool_error.h"

ModuleLibrary::ModuleLibrary(const std::string& path) : library_(path) {
  for (const char* name : {"VSTPluginMain", "main"}) {
    if ((entryPoint_ = entry(name)) != nullptr) return;
  }
  throw ToolError(kExitBadModule, path + ": not a VST 2 module: it exports neither VSTPluginMain nor main");
}

VstPluginMainProc ModuleLibrary::entry(const char* name) const {
  return reinterpret_cast<VstPluginMainProc>(library_.symbol(name));
}
