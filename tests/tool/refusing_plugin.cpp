// A module whose entry point refuses to create an instance, as a plug-in does
// when it cannot start: main answers null.
#include "vst2/interface/vst2_abi.h"

#ifdef _WIN32
#define MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

MODULE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }
