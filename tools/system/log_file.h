// A log that grows a whole line at a time under its own name, for a reader
// that follows it while it is written (tail -f, a driver on another machine).
//
// The file is created exclusively: a file already under that name, a link
// included, is never written over or through, so no earlier log is lost.
// Each line goes to the system in one write and is flushed at once, so that
// after a crash or a kill every line in the file is whole. A line that cannot
// be written in full (a full disk) is cut off again, and the log takes no
// more lines after it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class LogFile {
 public:
  // "-" writes to standard output. Throws ToolError (kExitBadInput) when the
  // name is taken or its folder takes no new file.
  explicit LogFile(const std::string& path);
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // `line` without its line end. Throws ToolError (kExitCannotWrite).
  void writeLine(const std::string& line);

  bool isStandardOutput() const { return stream_ == stdout; }

 private:
  std::string path_;
  std::FILE* stream_ = nullptr;
  uint64_t wholeBytes_ = 0;  // written so far, every line whole
  bool broken_ = false;
};
