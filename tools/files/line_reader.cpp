#include "tools/files/line_reader.h"

#include <cerrno>
#include <cstring>

#include "tools/system/tool_error.h"

LineReader::LineReader(const std::string& path, const std::string& what) : path_(path), what_(what) {
  if (path == "-") {
    stream_ = stdin;
    return;
  }
  stream_ = std::fopen(path.c_str(), "rb");
  if (stream_ == nullptr) {
    throw ToolError(kExitBadInput, path + ": cannot open the " + what + ": " + std::strerror(errno));
  }
}

LineReader::~LineReader() {
  if (stream_ != stdin) std::fclose(stream_);
}

bool LineReader::next(std::string& line, bool& cut) {
  line.clear();
  cut = false;
  // getc, not a block read: a block read would wait for a block's worth of a
  // slow producer's lines before handing on the first.
  int c = 0;
  while ((c = std::getc(stream_)) != EOF && c != '\n') {
    if (line.size() < kLongestLine) {
      line += static_cast<char>(c);
    } else {
      cut = true;
    }
  }
  if (std::ferror(stream_)) {
    throw ToolError(kExitBadInput, (path_ == "-" ? "standard input" : path_) + ": cannot read the " + what_ + ": " +
                                       std::strerror(errno));
  }
  if (c == EOF && line.empty() && !cut) return false;
  ++lineNumber_;
  return true;
}
