#include "tools/commands/batch_list.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

BatchLine splitLine(const std::string& text, int number) {
  BatchLine line;
  line.number = number;
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
  return line;
}

std::string readAll(std::istream& stream) {
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

}  // namespace

std::vector<BatchLine> parseBatchList(const std::string& text) {
  std::vector<BatchLine> lines;
  std::istringstream stream(text);
  std::string lineText;
  for (int number = 1; std::getline(stream, lineText); ++number) {
    const size_t first = lineText.find_first_not_of(" \t\r");
    if (first == std::string::npos || lineText[first] == '#') continue;
    lines.push_back(splitLine(lineText, number));
  }
  return lines;
}

std::vector<BatchLine> readBatchList(const std::string& path) {
  if (path == "-") return parseBatchList(readAll(std::cin));
  if (identifyFile(path).isDirectory) throw ToolError(kExitBadInput, path + ": is a folder, not a batch list");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ToolError(kExitBadInput, path + ": cannot open the batch list: " + std::strerror(errno));
  const std::string text = readAll(file);
  if (file.bad()) throw ToolError(kExitBadInput, path + ": cannot read the batch list");
  return parseBatchList(text);
}
