#include "tools/hosting/clap/clap_search.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "tools/system/tool_error.h"

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::vector<std::string> standardFolders() {
#ifdef _WIN32
  const std::string common = environment("COMMONPROGRAMFILES"), local = environment("LOCALAPPDATA");
  std::vector<std::string> folders;
  if (!common.empty()) folders.push_back(common + "\\CLAP");
  if (!local.empty()) folders.push_back(local + "\\Programs\\Common\\CLAP");
  return folders;
#else
  const std::string home = environment("HOME");
  std::vector<std::string> folders;
  if (!home.empty()) folders.push_back(home + "/.clap");
  folders.push_back("/usr/lib/clap");
  return folders;
#endif
}

// Every .clap file below `folder`, in the order the file system lists them;
// folders that cannot be read are passed over.
std::vector<std::string> modulesIn(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::error_code error;
  fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
    if (entry->path().extension() == ".clap" && !entry->is_directory(error)) files.push_back(entry->path().string());
  }
  return files;
}

}  // namespace

std::vector<std::string> clapFolders() {
  std::vector<std::string> folders;
  const std::string path = environment("CLAP_PATH");
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find(kPathSeparator, start), path.size());
    if (end > start) folders.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  for (const std::string& folder : standardFolders()) folders.push_back(folder);
  return folders;
}

std::shared_ptr<ClapModule> findClapModule(const std::string& id) {
  std::string searched;
  for (const std::string& folder : clapFolders()) {
    searched += (searched.empty() ? "" : ", ") + folder;
    for (const std::string& file : modulesIn(folder)) {
      try {
        std::shared_ptr<ClapModule> module = ClapModule::open(file);
        if (module->plugin(id) != nullptr) return module;
      } catch (const ToolError&) {
        // Not a module that works here: another file may hold the plug-in.
      }
    }
  }
  throw ToolError(kExitBadModule, id + ": no CLAP plug-in of that id in " + searched);
}
