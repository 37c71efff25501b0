// Which format a plug-in's name stands for. A CLAP plug-in is named by its
// .clap file (FILE.clap#ID for one of several) or its id; an LV2 plug-in by
// its bundle, a folder, or by its URI; anything else is taken for a VST 2
// module file, which the module loader then opens or refuses in its own words.
#include <memory>
#include <string>

#include "tools/hosting/clap/clap_plugin.h"
#include "tools/hosting/instrument_plugin.h"
#include "tools/hosting/vst2/vst2_plugin.h"
#include "tools/system/system_services.h"
#ifdef QUORLIN_HOSTS_LV2
#include "tools/hosting/lv2/lv2_plugin.h"
#endif

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool namesLv2Plugin(const std::string& name) {
  const FileIdentity file = identifyFile(name);
  if (file.exists) return file.isDirectory;
  return endsWith(name, ".lv2") || endsWith(name, ".lv2/") || name.find("://") != std::string::npos ||
         name.rfind("urn:", 0) == 0;
}

}  // namespace

std::unique_ptr<InstrumentPlugin> loadInstrumentPlugin(const std::string& name) {
  if (namesClapPlugin(name)) return std::make_unique<ClapPlugin>(name);
  if (!namesLv2Plugin(name)) return std::make_unique<Vst2Plugin>(name);
#ifdef QUORLIN_HOSTS_LV2
  return loadLv2Plugin(name);
#else
  throw ToolError(kExitBadModule, name + ": an LV2 plug-in; quorlin-host hosts LV2 plug-ins on Linux only, and "
                                         "VST 2 plug-ins here");
#endif
}

std::string defaultPluginName() { return defaultModulePath(); }
