#include <windows.h>

#include <cstdint>
#include <fstream>

#include "tools/hosting/loaded_library.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

// The bitness an x86 Windows module is built for, from the machine field of
// its PE header: 32, 64, or 0 when the file is no such module.
int moduleBits(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  unsigned char bytes[4] = {};
  const auto readAt = [&file, &bytes](std::streamoff offset, std::streamsize count) {
    return static_cast<bool>(file.seekg(offset).read(reinterpret_cast<char*>(bytes), count));
  };
  if (!readAt(0, 2) || bytes[0] != 'M' || bytes[1] != 'Z' || !readAt(0x3C, 4)) return 0;
  const uint32_t header = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  if (!readAt(header, 4) || bytes[0] != 'P' || bytes[1] != 'E' || bytes[2] != 0 || bytes[3] != 0) return 0;
  if (!readAt(header + 4, 2)) return 0;
  switch (bytes[0] | bytes[1] << 8) {
    case 0x014C: return 32;  // IMAGE_FILE_MACHINE_I386
    case 0x8664: return 64;  // IMAGE_FILE_MACHINE_AMD64
    default: return 0;
  }
}

// Why the module did not load, in words a user can act on: for a file of the
// wrong format the system's own text keeps an unfilled "%1".
std::string loadFailure(const std::string& path, DWORD error) {
  if (error != ERROR_BAD_EXE_FORMAT) return path + ": cannot load the module: " + systemErrorText(error);
  const std::string ownBits = std::to_string(sizeof(void*) * 8);
  const int bits = moduleBits(path);
  if (bits != 0 && std::to_string(bits) != ownBits) {
    return path + " is a " + std::to_string(bits) + "-bit module; this " + executableName() + " is " + ownBits +
           "-bit";
  }
  return path + ": cannot load the module: it is not a " + ownBits + "-bit Windows module";
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) : path_(path) {
  // No error dialogs: a command-line host reports failures on standard error.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path.c_str());
  const DWORD error = GetLastError();
  SetErrorMode(previousMode);
  if (module == nullptr) throw ToolError(kExitBadModule, loadFailure(path, error));
  handle_ = module;
}

LoadedLibrary::~LoadedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* LoadedLibrary::symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}
