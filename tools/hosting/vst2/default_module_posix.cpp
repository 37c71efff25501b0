#include <unistd.h>

#include "tools/hosting/vst2/module_library.h"
#include "tools/system/system_services.h"

std::string defaultModulePath() {
  // Beside the executable in a build folder; in lib/lxvst beside bin/ once
  // installed from a package (/usr or /usr/local).
  const std::string folder = executableDirectory();
  const std::string beside = folder + "/quorlin.so";
  const std::string installed = folder.substr(0, folder.rfind('/')) + "/lib/lxvst/quorlin.so";
  return access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed : beside;
}
