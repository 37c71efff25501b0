#include "tools/hosting/clap/clap_plugin.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>

#include "tools/hosting/clap/clap_instrument.h"
#include "tools/hosting/clap/clap_search.h"
#include "tools/hosting/interface_thread.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

bool endsWith(std::string text, const std::string& end) {
  if (text.size() < end.size()) return false;
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// FILE.clap#ID as the file and the id; a file that exists under the whole
// name is that file, whatever characters its name holds.
struct ClapName {
  std::string file;
  std::string id;  // none when empty
};

std::optional<ClapName> splitName(const std::string& name) {
  if (endsWith(name, ".clap") || identifyFile(name).exists) return ClapName{name, ""};
  const size_t hash = name.rfind('#');
  if (hash != std::string::npos && endsWith(name.substr(0, hash), ".clap")) {
    return ClapName{name.substr(0, hash), name.substr(hash + 1)};
  }
  return std::nullopt;
}

bool looksLikeId(const std::string& name) {
  return name.find_first_of("/\\#:") == std::string::npos && name.find('.') != std::string::npos &&
         !endsWith(name, ".so") && !endsWith(name, ".dll") && !endsWith(name, ".lv2");
}

}  // namespace

bool namesClapPlugin(const std::string& name) {
  const std::optional<ClapName> file = splitName(name);
  if (file) return endsWith(file->file, ".clap");
  return looksLikeId(name);
}

ClapPlugin::ClapPlugin(const std::string& name) : name_(name) {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  const std::optional<ClapName> file = splitName(name);
  if (!file) {
    module_ = findClapModule(name);
    descriptor_ = module_->plugin(name);
    return;
  }
  module_ = ClapModule::open(file->file);
  const std::vector<const clap_plugin_descriptor_t*>& plugins = module_->plugins();
  if (!file->id.empty()) {
    descriptor_ = module_->plugin(file->id);
    if (descriptor_ == nullptr) {
      throw ToolError(kExitBadModule, file->file + " holds no plug-in '" + file->id + "'; it holds " + module_->pluginIds());
    }
  } else if (plugins.size() == 1) {
    descriptor_ = plugins.front();
  } else {
    throw ToolError(kExitBadModule, file->file + " holds " + std::to_string(plugins.size()) + " plug-ins; name one as " +
                                        file->file + "#ID: " + module_->pluginIds());
  }
}

// The module is let go of (and may be de-initialised) while no other call is made.
ClapPlugin::~ClapPlugin() {
  const std::lock_guard<std::mutex> lock(interfaceThread());
  module_.reset();
}

std::unique_ptr<Instrument> ClapPlugin::instantiate() { return std::make_unique<ClapInstrument>(module_, *descriptor_); }
