// A loadable module that is not a VST 2 plug-in: it exports neither
// VSTPluginMain nor main.
#ifdef _WIN32
#define MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

MODULE_EXPORT int notAPlugin() { return 0; }
