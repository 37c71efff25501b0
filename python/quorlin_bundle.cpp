#include "python/quorlin_bundle.h"

#include <dlfcn.h>
#include <stdlib.h>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

// The folder of the extension module this code lives in.
std::string packageFolder() {
  Dl_info module{};
  if (dladdr(reinterpret_cast<void*>(&quorlinBundlePath), &module) == 0 || module.dli_fname == nullptr) return ".";
  const std::string file = module.dli_fname;
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "." : file.substr(0, slash);
}

// The path with its links and dot-dots resolved, as messages should show it.
std::string resolved(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  const std::string text = real != nullptr ? real : path;
  free(real);
  return text;
}

}  // namespace

std::string quorlinBundlePath() {
  const std::string folder = packageFolder();
  const std::string places[] = {folder + "/quorlin.lv2", folder + "/../../quorlin.lv2",
                                folder + "/../../../lv2/quorlin.lv2"};
  for (const std::string& place : places) {
    if (identifyFile(place + "/manifest.ttl").exists) return resolved(place);
  }
  throw ToolError(kExitBadModule, "Quorlin's LV2 bundle quorlin.lv2 is in none of " + places[0] + ", " + places[1] +
                                      " and " + places[2] + "; name an instrument instead");
}
