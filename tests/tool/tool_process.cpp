#include "tool_process.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

std::string contents(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

// The shell's form of a relative path: cmd.exe reads forward slashes as switches.
std::string shellPath(std::string path) {
#ifdef _WIN32
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

}  // namespace

ToolRun runTool(const TestFolder& folder, const std::string& arguments, const std::string& captureName) {
  const std::string out = folder.file(captureName + ".out");
  const std::string err = folder.file(captureName + ".err");
  const std::string command = shellPath(std::string("./") + QUORLIN_HOST_FILE) + " " + arguments + " >" +
                              shellPath(out) + " 2>" + shellPath(err);
  const int status = std::system(command.c_str());
  ToolRun run;
#ifdef _WIN32
  run.exitStatus = status;
#else
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
  run.out = contents(out);
  run.err = contents(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}
