#include <dlfcn.h>
#include <unistd.h>

#include "tools/hosting/vst2/module_library.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

std::string lastLoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown reason";
}

}  // namespace

ModuleLibrary::ModuleLibrary(const std::string& path) : path_(path) {
  // Without a slash dlopen would search the library path instead of the named file.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const std::string message = path + ": cannot load the module: " + lastLoaderError();
    if (!identifyFile(path).exists) throw MissingFile(kExitBadModule, message);
    throw ToolError(kExitBadModule, message);
  }
  for (const char* name : {"VSTPluginMain", "main"}) {
    if ((entryPoint_ = entry(name)) != nullptr) return;
  }
  dlclose(handle_);
  throw ToolError(kExitBadModule, path + ": not a VST 2 module: it exports neither VSTPluginMain nor main");
}

ModuleLibrary::~ModuleLibrary() { dlclose(handle_); }

VstPluginMainProc ModuleLibrary::entry(const char* name) const {
  return reinterpret_cast<VstPluginMainProc>(dlsym(handle_, name));
}

std::string defaultModulePath() {
  // Beside the executable in a build folder; in lib/lxvst beside bin/ once
  // installed from a package (/usr or /usr/local).
  const std::string folder = executableDirectory();
  const std::string beside = folder + "/quorlin.so";
  const std::string installed = folder.substr(0, folder.rfind('/')) + "/lib/lxvst/quorlin.so";
  return access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed : beside;
}
