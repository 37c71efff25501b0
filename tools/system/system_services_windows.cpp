#include <windows.h>
#include <io.h>

#include <cstdio>

#include "tools/system/system_services.h"

namespace {

// The running executable's full path, split at its last separator (npos when
// the path is unknown or has none).
struct ExecutablePath {
  std::string path;
  size_t separator = std::string::npos;
};

ExecutablePath executablePath() {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  ExecutablePath result{std::string(buffer, length)};
  result.separator = result.path.find_last_of("\\/");
  return result;
}

}  // namespace

std::string executableDirectory() {
  const ExecutablePath executable = executablePath();
  return executable.separator == std::string::npos ? "." : executable.path.substr(0, executable.separator);
}

std::string executableName() {
  const ExecutablePath executable = executablePath();
  if (executable.path.empty()) return "program";
  return executable.separator == std::string::npos ? executable.path : executable.path.substr(executable.separator + 1);
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::string replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0 ? std::string()
                                                                               : systemErrorText(GetLastError());
}

std::string systemErrorText(unsigned long code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}
