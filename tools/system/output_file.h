// A file that takes its name only when it is complete: whoever opens OUT sees
// the file that was there before or the new one whole, never a part of it.
//
// The bytes go to a temporary file beside OUT ("OUT.<six letters>.part"): in
// the same folder, so that the final rename never crosses file systems; under
// a name of its own, so that two renders to one OUT never share a file; and
// created exclusively, so that a file or link already lying under that name
// is never written through. Until it is renamed, the temporary file is listed
// among the unfinished files that a fatal signal removes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class OutputFile {
 public:
  // Creates the temporary file. Throws ToolError (kExitBadInput) when the
  // folder takes no new file: it is missing, not a folder or not writable.
  explicit OutputFile(const std::string& path);
  // Removes the temporary file unless commit() succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Throws ToolError (kExitCannotWrite) with the system's reason, a full disk
  // or a file size limit among them.
  void write(const void* bytes, size_t count);
  // Goes back to the first byte, to write a header again once sizes are known.
  void rewind();
  // Closes the temporary file and renames it to OUT, replacing any file of
  // that name at once. Throws ToolError (kExitCannotWrite).
  void commit();

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void failWriting() const;

  std::string path_;
  std::string temporaryPath_;
  std::FILE* stream_ = nullptr;
  int listEntry_ = -1;
  bool committed_ = false;
};

// Refuses, before anything is rendered, an output path that names a folder
// (or, for an output that is itself a folder, a file) or one of the files the
// job reads (the same file by identity, whatever its spelling, links
// included). Throws ToolError (kExitBadInput).
void refuseUnsafeOutput(const std::string& outputPath, const std::vector<std::string>& filesRead,
                        bool outputIsFolder = false);
