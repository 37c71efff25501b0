// A text read one line at a time as it arrives, from a file or from standard
// input. A line is handed on as soon as its end is read, so a text fed
// through a pipe is worked on while its producer is still writing it, and
// only the line at hand is held, however long the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class LineReader {
 public:
  // Bytes kept of one line; a line longer than this is a mistake (a binary
  // file, a missing line end), and holding it whole would cost memory.
  static constexpr size_t kLongestLine = 65536;

  // Opens `path` ("-": standard input); `what` names the text in messages.
  // Throws ToolError (kExitBadInput) when it cannot be opened.
  LineReader(const std::string& path, const std::string& what);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line, without its line end; false at the end of the text. A
  // line longer than kLongestLine comes cut to that length, with `cut` set.
  // Throws ToolError (kExitBadInput) when the text cannot be read.
  bool next(std::string& line, bool& cut);
  // The number of the line next() gave last, from 1.
  int64_t lineNumber() const { return lineNumber_; }

 private:
  std::string path_;
  std::string what_;
  std::FILE* stream_ = nullptr;
  int64_t lineNumber_ = 0;
};
