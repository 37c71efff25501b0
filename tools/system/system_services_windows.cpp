#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "tools/system/system_services.h"

namespace {

void (*consoleCloseCleanUp)() = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) consoleCloseCleanUp();
  return FALSE;  // what follows is the default: Ctrl-C reaches the C library's SIGINT, a close ends the process
}

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

std::string cutFile(std::FILE* stream, uint64_t size) {
  const errno_t error = _chsize_s(_fileno(stream), static_cast<__int64>(size));
  return error == 0 ? std::string() : std::strerror(error);
}

std::FILE* createNewFile(const std::string& path, bool& nameTaken, std::string& failure) {
  // CREATE_NEW fails on any existing name, a link included. Sharing deletion
  // lets a console-close handler remove the file while it is still open.
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    failure = systemErrorText(error);
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  std::FILE* stream = descriptor == -1 ? nullptr : _fdopen(descriptor, "wb");
  if (stream == nullptr) {
    failure = "cannot open the new file as a stream";
    if (descriptor == -1) {
      CloseHandle(handle);
    } else {
      _close(descriptor);
    }
    DeleteFileA(path.c_str());
  }
  return stream;
}

FileIdentity identifyFile(const std::string& path) {
  FileIdentity identity;
  const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // Present but not openable (locked, say): it exists, its identity unknown.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    identity.exists = attributes != INVALID_FILE_ATTRIBUTES;
    identity.isDirectory = identity.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return identity;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  identity.exists = true;
  if (GetFileInformationByHandle(handle, &information) != 0) {
    identity.isDirectory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    identity.isRegularFile = !identity.isDirectory && GetFileType(handle) == FILE_TYPE_DISK;
    identity.identified = true;
    identity.volume = information.dwVolumeSerialNumber;
    identity.file = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  }
  CloseHandle(handle);
  return identity;
}

int openForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }

bool waitForInput(int, std::chrono::milliseconds) { return true; }

long readInput(int descriptor, void* buffer, size_t size) {
  return _read(descriptor, buffer, static_cast<unsigned>(size > INT_MAX ? INT_MAX : size));
}

void closeInput(int descriptor) { _close(descriptor); }

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

void onConsoleClose(void (*cleanUp)()) {
  consoleCloseCleanUp = cleanUp;
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
