// Running the built quorlin-host as a user would, and collecting what it
// printed and how it ended.
#pragma once

#include <string>

#include "test_folder.h"

struct ToolRun {
  int exitStatus = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs quorlin-host (from the working directory, the build folder) with
// `arguments`; its output streams are captured in files of `folder` named
// after `captureName` (runs at the same time need names of their own).
ToolRun runTool(const TestFolder& folder, const std::string& arguments, const std::string& captureName = "tool");

// Sets an environment variable for the processes the test starts.
void setEnvironment(const std::string& name, const std::string& value);

// The lines of a text, without their line ends (Windows ones included).
std::vector<std::string> linesOf(const std::string& text);
