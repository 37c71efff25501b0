#include <windows.h>

#include "tools/hosting/module_library.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

ModuleLibrary::ModuleLibrary(const std::string& path) : path_(path) {
  // No error dialogs: a command-line host reports failures on standard error.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path.c_str());
  SetErrorMode(previousMode);
  if (module == nullptr) {
    throw ToolError(kExitBadModule, path + ": cannot load the module: " + systemErrorText(GetLastError()));
  }
  handle_ = module;
  for (const char* name : {"VSTPluginMain", "main"}) {
    if ((entryPoint_ = entry(name)) != nullptr) return;
  }
  FreeLibrary(module);
  throw ToolError(kExitBadModule, path + ": not a VST 2 module: it exports neither VSTPluginMain nor main");
}

ModuleLibrary::~ModuleLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

VstPluginMainProc ModuleLibrary::entry(const char* name) const {
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(handle_), name);
  return reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(symbol));
}

std::string defaultModulePath() { return executableDirectory() + "\\quorlin.dll"; }
