#include "tools/hosting/clap/clap_module.h"

#include <map>
#include <mutex>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

// The modules in use, by file: the same file under another name (a link, a
// relative path) is the same module.
struct Registry {
  std::mutex mutex;
  std::map<std::string, std::weak_ptr<ClapModule>> modules;
};

Registry& registry() {
  static Registry modules;
  return modules;
}

std::string fileKey(const std::string& path) {
  const FileIdentity file = identifyFile(path);
  if (!file.identified) return "path " + path;
  return std::to_string(file.volume) + ":" + std::to_string(file.file);
}

ToolError refused(const std::string& path, const std::string& problem) {
  return ToolError(kExitBadModule, path + ": " + problem);
}

}  // namespace

std::string versionText(const clap_version_t& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.revision);
}

// Made, and let go of, with the registry held: a module being de-initialised
// is never initialised anew by another thread meanwhile.
std::shared_ptr<ClapModule> ClapModule::open(const std::string& path) {
  Registry& modules = registry();
  const std::lock_guard<std::mutex> lock(modules.mutex);
  const std::string key = fileKey(path);
  const auto found = modules.modules.find(key);
  if (found != modules.modules.end()) {
    if (std::shared_ptr<ClapModule> module = found->second.lock()) return module;
  }
  std::shared_ptr<ClapModule> module(new ClapModule(path), [key](ClapModule* closed) {
    Registry& modules = registry();
    const std::lock_guard<std::mutex> lock(modules.mutex);
    const auto entry = modules.modules.find(key);
    if (entry != modules.modules.end() && entry->second.expired()) modules.modules.erase(entry);
    delete closed;
  });
  modules.modules[key] = module;
  return module;
}

ClapModule::ClapModule(const std::string& path) : library_(path) {
  entry_ = static_cast<const clap_plugin_entry_t*>(library_.symbol(kClapEntrySymbol));
  if (entry_ == nullptr) throw refused(path, "not a CLAP module: it exports no clap_entry");
  if (!clap_version_is_compatible(entry_->clap_version)) {
    throw refused(path, "made for CLAP " + versionText(entry_->clap_version) +
                            ", a development version before 1.0 that quorlin-host does not host");
  }
  if (entry_->init == nullptr || entry_->deinit == nullptr || entry_->get_factory == nullptr) {
    throw refused(path, "not a CLAP module: its clap_entry lacks a function");
  }
  if (!entry_->init(path.c_str())) throw refused(path, "the module refused to start (its clap_entry init answered false)");
  pluginFactory_ = static_cast<const clap_plugin_factory_t*>(factory(CLAP_PLUGIN_FACTORY_ID));
  const uint32_t count = pluginFactory_ != nullptr && pluginFactory_->get_plugin_count != nullptr &&
                                 pluginFactory_->get_plugin_descriptor != nullptr && pluginFactory_->create_plugin != nullptr
                             ? pluginFactory_->get_plugin_count(pluginFactory_)
                             : 0;
  for (uint32_t index = 0; index < count; ++index) {
    const clap_plugin_descriptor_t* descriptor = pluginFactory_->get_plugin_descriptor(pluginFactory_, index);
    if (descriptor != nullptr && descriptor->id != nullptr && clap_version_is_compatible(descriptor->clap_version)) {
      plugins_.push_back(descriptor);
    }
  }
  if (plugins_.empty()) {
    entry_->deinit();
    throw refused(path, pluginFactory_ == nullptr ? "the module has no plug-in factory" : "the module holds no plug-ins");
  }
}

ClapModule::~ClapModule() { entry_->deinit(); }

const clap_plugin_descriptor_t* ClapModule::plugin(const std::string& id) const {
  for (const clap_plugin_descriptor_t* descriptor : plugins_) {
    if (id == descriptor->id) return descriptor;
  }
  return nullptr;
}

std::string ClapModule::pluginIds() const {
  std::string ids;
  for (const clap_plugin_descriptor_t* descriptor : plugins_) ids += (ids.empty() ? "" : ", ") + std::string(descriptor->id);
  return ids;
}
