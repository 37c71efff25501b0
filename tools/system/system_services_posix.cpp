#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/system/system_services.h"

std::string executableDirectory() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return ".";
  const std::string path(buffer.data(), static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::string replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? std::string() : std::strerror(errno);
}

std::string cutFile(std::FILE* stream, uint64_t size) {
  return ftruncate(fileno(stream), static_cast<off_t>(size)) == 0 ? std::string() : std::strerror(errno);
}

std::FILE* createNewFile(const std::string& path, bool& nameTaken, std::string& failure) {
  // O_EXCL fails on any existing name, a dangling link included.
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    nameTaken = errno == EEXIST;
    failure = std::strerror(errno);
    return nullptr;
  }
  std::FILE* stream = fdopen(descriptor, "wb");
  if (stream == nullptr) {
    failure = std::strerror(errno);
    close(descriptor);
    unlink(path.c_str());
  }
  return stream;
}

FileIdentity identifyFile(const std::string& path) {
  struct stat status {};
  FileIdentity identity;
  if (stat(path.c_str(), &status) != 0) return identity;
  identity.exists = true;
  identity.isDirectory = S_ISDIR(status.st_mode);
  identity.isRegularFile = S_ISREG(status.st_mode);
  identity.identified = true;
  identity.volume = static_cast<uint64_t>(status.st_dev);
  identity.file = static_cast<uint64_t>(status.st_ino);
  return identity;
}

int openForReading(const std::string& path) {
  // Not blocking while it opens: a named pipe opens before its writer comes.
  // Blocking again afterwards, but read only once waitForInput says so.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor >= 0) fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  return descriptor;
}

bool waitForInput(int descriptor, std::chrono::milliseconds timeout) {
  pollfd waited{descriptor, POLLIN, 0};
  const int ready = poll(&waited, 1, static_cast<int>(timeout.count()));
  // A failure other than a signal is for the read to report.
  return ready > 0 || (ready < 0 && errno != EINTR);
}

long readInput(int descriptor, void* buffer, size_t size) {
  ssize_t got = 0;
  do {
    got = read(descriptor, buffer, size);
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

void closeInput(int descriptor) { close(descriptor); }

void onConsoleClose(void (*)()) {}

std::string captureStandardError(const std::function<void()>& work) {
  std::fflush(stderr);
  std::FILE* capture = std::tmpfile();
  const int saved = capture != nullptr ? dup(STDERR_FILENO) : -1;
  if (saved < 0 || dup2(fileno(capture), STDERR_FILENO) < 0) {
    if (saved >= 0) close(saved);
    if (capture != nullptr) std::fclose(capture);
    work();
    return "";
  }
  const auto restore = [&] {
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
  };
  try {
    work();
  } catch (...) {
    restore();
    std::fclose(capture);
    throw;
  }
  restore();
  std::string text;
  std::rewind(capture);
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, got);
  std::fclose(capture);
  return text;
}
