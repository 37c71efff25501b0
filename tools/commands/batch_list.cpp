#include "tools/commands/batch_list.h"

#include "tools/commands/interrupt.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void splitWords(const std::string& text, BatchLine& line) {
  line.words.clear();
  line.problem.clear();
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (isBlank(c) && !quoted) {
      if (inWord) line.words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) line.problem = "a quote is not closed";
  if (inWord) line.words.push_back(word);
}

const std::string& refuseFolder(const std::string& path) {
  if (path != "-" && identifyFile(path).isDirectory) {
    throw ToolError(kExitBadInput, path + ": is a folder, not a batch list");
  }
  return path;
}

}  // namespace

BatchList::BatchList(const std::string& path, const BatchShard& shard)
    : reader_(refuseFolder(path), "batch list", interruptRequested), shard_(shard) {}

bool BatchList::nextRenderText(std::string& text, bool& cut) {
  while (reader_.next(text, cut)) {
    if (!shard_.takes(reader_.lineNumber())) continue;
    const size_t first = text.find_first_not_of(" \t\r");
    if (first != std::string::npos && text[first] != '#') return true;
  }
  return false;
}

bool BatchList::next(BatchLine& line) {
  std::string text;
  bool cut = false;
  if (!nextRenderText(text, cut)) return false;
  line.number = reader_.lineNumber();
  splitWords(text, line);
  if (cut) line.problem = "the line is longer than " + std::to_string(LineReader::kLongestLine) + " bytes";
  return true;
}

int64_t BatchList::countRemaining() {
  std::string text;
  bool cut = false;
  int64_t count = 0;
  while (nextRenderText(text, cut)) ++count;
  return count;
}
