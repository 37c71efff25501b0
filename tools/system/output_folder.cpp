#include "tools/system/output_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/system/system_services.h"
#include "tools/system/temporary_name.h"
#include "tools/system/tool_error.h"

namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void removeTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

}  // namespace

OutputFolder::OutputFolder(const std::string& path) : path_(withoutTrailingSlashes(path)) {
  const FileIdentity existing = identifyFile(path_);
  if (existing.exists && !existing.isDirectory) {
    throw ToolError(kExitBadInput, path_ + ": is a file, not a folder to write the preset bundle in");
  }
  std::string failure;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporaryPath_ = temporaryName(path_);
    if (mkdir(temporaryPath_.c_str(), 0777) == 0) return;
    failure = std::strerror(errno);
    if (errno != EEXIST) break;
  }
  throw ToolError(kExitBadInput, path_ + ": cannot create a folder beside it: " + failure);
}

OutputFolder::~OutputFolder() {
  if (!committed_) removeTree(temporaryPath_);
}

void OutputFolder::commit() {
  std::string older;
  if (identifyFile(path_).exists) {
    older = temporaryName(path_);
    if (std::rename(path_.c_str(), older.c_str()) != 0) {
      throw ToolError(kExitCannotWrite, path_ + ": cannot move the older folder aside: " + std::strerror(errno));
    }
  }
  if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    if (!older.empty()) std::rename(older.c_str(), path_.c_str());
    throw ToolError(kExitCannotWrite, path_ + ": cannot give the finished folder its name: " + reason);
  }
  committed_ = true;
  if (!older.empty()) removeTree(older);
}
