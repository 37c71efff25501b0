#include "tools/system/output_file.h"

#include <cerrno>
#include <cstring>

#include "tools/system/temporary_name.h"
#include "tools/system/unfinished_files.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

constexpr size_t kBufferBytes = 1 << 16;

std::string systemError() { return std::strerror(errno); }

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
  std::string failure;
  for (int attempt = 0; attempt < kNameAttempts && stream_ == nullptr; ++attempt) {
    temporaryPath_ = temporaryName(path);
    bool nameTaken = false;
    stream_ = createNewFile(temporaryPath_, nameTaken, failure);
    if (stream_ == nullptr && !nameTaken) break;
  }
  if (stream_ == nullptr) throw ToolError(kExitBadInput, path + ": cannot create a file in its folder: " + failure);
  listEntry_ = listUnfinishedFile(temporaryPath_);
  // Fewer, larger writes: a batch writes thousands of files, and each system call costs.
  std::setvbuf(stream_, nullptr, _IOFBF, kBufferBytes);
}

OutputFile::~OutputFile() {
  if (committed_) return;
  if (stream_ != nullptr) std::fclose(stream_);
  std::remove(temporaryPath_.c_str());
  forgetUnfinishedFile(listEntry_);
}

void OutputFile::failWriting() const { throw ToolError(kExitCannotWrite, path_ + ": cannot write: " + systemError()); }

void OutputFile::write(const void* bytes, size_t count) {
  if (std::fwrite(bytes, 1, count, stream_) != count) failWriting();
}

void OutputFile::rewind() {
  if (std::fflush(stream_) != 0 || std::fseek(stream_, 0, SEEK_SET) != 0) failWriting();
}

void OutputFile::commit() {
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!closed) failWriting();
  const std::string renameError = replaceFile(temporaryPath_, path_);
  if (!renameError.empty())
    throw ToolError(kExitCannotWrite, path_ + ": cannot give the finished file its name: " + renameError);
  committed_ = true;
  forgetUnfinishedFile(listEntry_);
}

void refuseUnsafeOutput(const std::string& outputPath, const std::vector<std::string>& filesRead,
                        bool outputIsFolder) {
  const FileIdentity output = identifyFile(outputPath);
  if (output.isDirectory && !outputIsFolder) {
    throw ToolError(kExitBadInput, outputPath + ": is a folder, not a file to write");
  }
  if (output.exists && !output.isDirectory && outputIsFolder) {
    throw ToolError(kExitBadInput, outputPath + ": is a file, not a folder to write");
  }
  for (const std::string& input : filesRead) {
    if (sameFile(output, identifyFile(input))) {
      throw ToolError(kExitBadInput,
                      outputPath + ": is the same file as " + input + ", which this render reads; name another output");
    }
  }
}
