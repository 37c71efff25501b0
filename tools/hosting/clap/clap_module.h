// A CLAP module file (NAME.clap) loaded and its entry initialised: once per
// file in the process, however many plug-ins, instances and batch jobs use
// it, and de-initialised when the last of them lets go. CLAP asks hosts for
// exactly that: one init and one deinit, never at the same time as any other
// call into the module.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "clap/interface/clap_abi.h"
#include "tools/hosting/loaded_library.h"

class ClapModule {
 public:
  // The module in the file `path`, shared with whoever uses it already.
  // Throws ToolError (kExitBadModule) for a file that is no CLAP module, one
  // made for another CLAP version, one whose entry refuses to start, or one
  // without plug-ins.
  static std::shared_ptr<ClapModule> open(const std::string& path);
  ~ClapModule();
  ClapModule(const ClapModule&) = delete;
  ClapModule& operator=(const ClapModule&) = delete;

  const std::string& path() const { return library_.path(); }
  // The module's factory of that id, or null.
  const void* factory(const char* id) const { return entry_->get_factory(id); }
  const clap_plugin_factory_t& pluginFactory() const { return *pluginFactory_; }
  // Its plug-ins, in the factory's order.
  const std::vector<const clap_plugin_descriptor_t*>& plugins() const { return plugins_; }
  // The one of that id, or null.
  const clap_plugin_descriptor_t* plugin(const std::string& id) const;
  // Their ids, for a message: "a, b, c".
  std::string pluginIds() const;

 private:
  explicit ClapModule(const std::string& path);

  LoadedLibrary library_;
  const clap_plugin_entry_t* entry_ = nullptr;
  const clap_plugin_factory_t* pluginFactory_ = nullptr;
  std::vector<const clap_plugin_descriptor_t*> plugins_;
};

// "1.2.10"
std::string versionText(const clap_version_t& version);
