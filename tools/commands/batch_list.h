// A batch list: one render a line, "IN.mid OUT.wav" and that song's options,
// words separated by blanks. A word may be "quoted" in whole or in part to
// hold blanks (no escapes, so Windows paths read as written). Blank lines and
// lines whose first character other than a blank is # are skipped.
#pragma once

#include <string>
#include <vector>

struct BatchLine {
  int number = 0;  // in the list, from 1
  std::vector<std::string> words;
  std::string problem;  // why the line cannot be split into words, or empty
};

// The lines that ask for a render. Throws ToolError (kExitBadInput) when the
// list cannot be read; "-" reads standard input.
std::vector<BatchLine> readBatchList(const std::string& path);

// The same, from the list's text.
std::vector<BatchLine> parseBatchList(const std::string& text);
