#include "tools/system/log_file.h"

#include <cerrno>
#include <cstring>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

LogFile::LogFile(const std::string& path) : path_(path) {
  if (path == "-") {
    stream_ = stdout;
    return;
  }
  bool nameTaken = false;
  std::string failure;
  stream_ = createNewFile(path, nameTaken, failure);
  if (nameTaken) throw ToolError(kExitBadInput, path + ": exists already; a log is never written over, name a new one");
  if (stream_ == nullptr) throw ToolError(kExitBadInput, path + ": cannot create the log: " + failure);
  // Unbuffered: each line is one write of its own.
  std::setvbuf(stream_, nullptr, _IONBF, 0);
}

LogFile::~LogFile() {
  if (stream_ != stdout) std::fclose(stream_);
}

void LogFile::writeLine(const std::string& line) {
  if (broken_) throw ToolError(kExitCannotWrite, path_ + ": the log could not be written before");
  const std::string whole = line + "\n";
  if (std::fwrite(whole.data(), 1, whole.size(), stream_) == whole.size() && std::fflush(stream_) == 0) {
    wholeBytes_ += whole.size();
    return;
  }
  std::string message = path_ + ": cannot write the log: " + std::strerror(errno);
  broken_ = true;
  if (stream_ != stdout) {
    const std::string cutFailure = cutFile(stream_, wholeBytes_);
    if (!cutFailure.empty()) message += "; its last line is cut short (" + cutFailure + ")";
  }
  throw ToolError(kExitCannotWrite, message);
}
