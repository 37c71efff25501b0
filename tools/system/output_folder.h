// A folder that takes its name only when it is complete, as OutputFile does
// for a file: a preset bundle is written into a folder of its own beside it
// ("NAME.<six letters>.part"), which is renamed once every file is in it.
// An older folder of that name is replaced: moved aside, the new one given
// its name, the old one removed. A stop request before the rename removes
// the folder in the orderly way; a second Ctrl-C in the middle of the few
// milliseconds it takes to write may leave it behind.
#pragma once

#include <string>

class OutputFolder {
 public:
  // Creates the temporary folder. Throws ToolError (kExitBadInput) when the
  // parent takes no new folder, or when `path` is a file.
  explicit OutputFolder(const std::string& path);
  // Removes the temporary folder and what is in it unless commit() succeeded.
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  const std::string& temporaryPath() const { return temporaryPath_; }
  // Gives the folder its name. Throws ToolError (kExitCannotWrite), and then
  // any older folder of that name is as it was.
  void commit();

 private:
  std::string path_;
  std::string temporaryPath_;
  bool committed_ = false;
};
