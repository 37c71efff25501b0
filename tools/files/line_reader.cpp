#include "tools/files/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

constexpr size_t kBufferBytes = 64 * 1024;
// How long a wait for more of the text lasts before stopWaiting is asked.
constexpr std::chrono::milliseconds kWaitSlice(100);

}  // namespace

LineReader::LineReader(const std::string& path, const std::string& what, std::function<bool()> stopWaiting)
    : path_(path), what_(what), stopWaiting_(std::move(stopWaiting)), buffer_(kBufferBytes) {
  descriptor_ = path == "-" ? kStandardInput : openForReading(path);
  if (descriptor_ < 0) {
    throw ToolError(kExitBadInput, path + ": cannot open the " + what + ": " + std::strerror(errno));
  }
}

LineReader::~LineReader() {
  if (descriptor_ != kStandardInput) closeInput(descriptor_);
}

bool LineReader::fill() {
  while (!waitForInput(descriptor_, kWaitSlice)) {
    if (stopWaiting_ && stopWaiting_()) {
      stopped_ = true;
      return false;
    }
  }
  const long got = readInput(descriptor_, buffer_.data(), buffer_.size());
  if (got < 0) {
    throw ToolError(kExitBadInput, (path_ == "-" ? "standard input" : path_) + ": cannot read the " + what_ + ": " +
                                       std::strerror(errno));
  }
  start_ = 0;
  end_ = static_cast<size_t>(got);
  return got > 0;
}

bool LineReader::next(std::string& line, bool& cut) {
  line.clear();
  cut = false;
  for (;;) {
    if (start_ == end_ && !fill()) {
      // A line cut short by a stop request is no line.
      if (stopped_ || (line.empty() && !cut)) return false;
      break;
    }
    const char* const begin = buffer_.data() + start_;
    const char* const end = buffer_.data() + end_;
    const char* const lineEnd = std::find(begin, end, '\n');
    const size_t kept = std::min(static_cast<size_t>(lineEnd - begin), kLongestLine - line.size());
    line.append(begin, kept);
    cut = cut || kept < static_cast<size_t>(lineEnd - begin);
    start_ = static_cast<size_t>(lineEnd - buffer_.data());
    if (lineEnd != end) {
      ++start_;
      break;
    }
  }
  ++lineNumber_;
  return true;
}
