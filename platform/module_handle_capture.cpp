// Stores the module's own handle when the loader maps it (see
// module_instance.h). Compiled into each plug-in module itself, not kept in a
// library: nothing would pull a loader entry out of one.
#include "platform/module_instance.h"

#ifdef _WIN32
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  moduleInstance = instance;
  return TRUE;
}
#else
#include <dlfcn.h>

__attribute__((constructor)) static void rememberModule() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&rememberModule), &info)) moduleInstance = info.dli_fbase;
}
#endif
