#include "tools/hosting/vst2/module_library.h"
#include "tools/system/system_services.h"

std::string defaultModulePath() { return executableDirectory() + "\\quorlin.dll"; }
