// A batch list: one render a line, "IN.mid OUT.wav" and that song's options,
// words separated by blanks. A word may be "quoted" in whole or in part to
// hold blanks (no escapes, so Windows paths read as written). Blank lines and
// lines whose first character other than a blank is # are skipped.
//
// The list is read as it is rendered, a line at a time, so a list of any
// length costs the memory of one line, and a list fed through a pipe starts
// rendering with its first line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/files/line_reader.h"

struct BatchLine {
  int64_t number = 0;  // in the list, from 1
  std::vector<std::string> words;
  std::string problem;  // why the line cannot be split into words, or empty
};

// The lines one of several processes renders, so that they split a list with
// no coordination: those whose number in the list (blank and comment lines
// counted) modulo `count` is `index`.
struct BatchShard {
  int64_t index = 0;
  int64_t count = 1;
  bool takes(int64_t lineNumber) const { return lineNumber % count == index; }
};

class BatchList {
 public:
  // Opens LIST ("-": standard input). Throws ToolError (kExitBadInput) when
  // it cannot be opened.
  BatchList(const std::string& path, const BatchShard& shard);

  // The next line of the shard that asks for a render; false at the end of
  // the list, or once a stop is requested (interrupt.h) while the list keeps
  // it waiting. Throws ToolError (kExitBadInput) when the list cannot be read.
  bool next(BatchLine& line);
  // How many lines are left for next() to give, read to the end.
  int64_t countRemaining();

 private:
  // The next line of the shard that is neither blank nor a comment.
  bool nextRenderText(std::string& text, bool& cut);

  LineReader reader_;
  BatchShard shard_;
};
