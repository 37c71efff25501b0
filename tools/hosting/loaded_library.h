// A plug-in module file loaded into the process (a shared object on Linux, a
// DLL on Windows) and the names it exports. VST 2 modules and CLAP modules
// are both such files, and both are loaded through this.
#pragma once

#include <string>

class LoadedLibrary {
 public:
  // Throws ToolError (kExitBadModule) when the file cannot be loaded, in words
  // a user can act on (on Windows, a module of the other bitness named as such).
  explicit LoadedLibrary(const std::string& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  const std::string& path() const { return path_; }
  // What the module exports under exactly this name, or null.
  void* symbol(const char* name) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
};
