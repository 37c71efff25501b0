// A text read one line at a time as it arrives, from a file, a named pipe or
// standard input. A line is handed on as soon as its end is read, so a text
// fed through a pipe is worked on while its producer is still writing it, and
// only the line at hand is held, however long the text. While it waits for
// more, it asks now and then whether to stop waiting, so that a stop request
// is heeded even when the producer is silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class LineReader {
 public:
  // Bytes kept of one line; a line longer than this is a mistake (a binary
  // file, a missing line end), and holding it whole would cost memory.
  static constexpr size_t kLongestLine = 65536;

  // Opens `path` ("-": standard input); `what` names the text in messages.
  // `stopWaiting`, when given, is asked at least every tenth of a second
  // while the text keeps its reader waiting. Throws ToolError (kExitBadInput)
  // when it cannot be opened.
  LineReader(const std::string& path, const std::string& what, std::function<bool()> stopWaiting = nullptr);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line, without its line end; false at the end of the text, or
  // once stopWaiting has answered true. A line longer than kLongestLine comes
  // cut to that length, with `cut` set. Throws ToolError (kExitBadInput) when
  // the text cannot be read.
  bool next(std::string& line, bool& cut);
  // The number of the line next() gave last, from 1.
  int64_t lineNumber() const { return lineNumber_; }

 private:
  // Reads what has arrived into the buffer; false at the end or when told to stop waiting.
  bool fill();

  std::string path_;
  std::string what_;
  std::function<bool()> stopWaiting_;
  int descriptor_ = -1;
  std::vector<char> buffer_;
  size_t start_ = 0;  // the buffer's bytes not yet handed on: [start_, end_)
  size_t end_ = 0;
  int64_t lineNumber_ = 0;
  bool stopped_ = false;
};
