#include "tools/hosting/lv2/lv2_world.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <stdlib.h>

#include <vector>

#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";
const char* const kRdfsSeeAlso = "http://www.w3.org/2000/01/rdf-schema#seeAlso";

std::string absoluteFolder(const std::string& folder) {
  char* resolved = realpath(folder.c_str(), nullptr);
  std::string path = resolved != nullptr ? resolved : folder;
  free(resolved);
  return path;
}

}  // namespace

// lilv and serd report what goes wrong on standard error, in lines that
// start with "error: " (serd) or "lilv_...(): error: " (lilv). The first such
// line, from its "error: " on, says what is wrong.
std::string firstError(const std::string& messages) {
  size_t start = 0;
  std::string first;
  while (start < messages.size()) {
    size_t end = messages.find('\n', start);
    if (end == std::string::npos) end = messages.size();
    const std::string line = messages.substr(start, end - start);
    if (first.empty() && !line.empty()) first = line;
    const size_t error = line.find("error: ");
    if (error != std::string::npos) return line.substr(error + std::string("error: ").size());
    start = end + 1;
  }
  return first;
}

std::string nodeText(const LilvNode* node) {
  if (node == nullptr) return "";
  const char* text = lilv_node_is_uri(node) ? lilv_node_as_uri(node) : lilv_node_as_string(node);
  return text != nullptr ? text : "";
}

std::string nodePath(const LilvNode* node) {
  if (node == nullptr || !lilv_node_is_uri(node)) return "";
  char* path = lilv_file_uri_parse(lilv_node_as_uri(node), nullptr);
  std::string text = path != nullptr ? path : "";
  lilv_free(path);
  return text;
}

Lv2World& Lv2World::instance() {
  static Lv2World world;
  return world;
}

Lv2World::Lv2World() : world_(lilv_world_new()) {
  // Bundles elsewhere on the machine are not ours to judge: their complaints
  // would only bury the tool's own lines.
  captureStandardError([this] { lilv_world_load_all(world_); });
  const auto uri = [this](const char* text) { return lilv_new_uri(world_, text); };
  uris_ = Lv2Vocabulary{uri(LV2_CORE__AudioPort),     uri(LV2_CORE__ControlPort),   uri(LV2_CORE__CVPort),
                        uri(LV2_ATOM__AtomPort),      uri(LV2_CORE__InputPort),     uri(LV2_CORE__OutputPort),
                        uri(LV2_MIDI__MidiEvent),     uri(LV2_CORE__connectionOptional),
                        uri(LV2_CORE__designation),   uri(LV2_CORE__control),       uri(LV2_RESIZE_PORT__minimumSize),
                        uri(LV2_PRESETS__Preset),     uri(kRdfsLabel),              uri(kRdfsSeeAlso),
                        uri(LV2_UI__X11UI),           uri(LV2_STATE__loadDefaultState),
                        uri(LV2_CORE__requiredFeature)};
}

LilvNode* Lv2World::loadBundle(const std::string& folder, int status) {
  const std::string path = absoluteFolder(folder);
  LilvNode* bundle = lilv_new_file_uri(world_, nullptr, (path + "/").c_str());
  const LilvPlugins* all = lilv_world_get_all_plugins(world_);
  bool known = false;
  LILV_FOREACH (plugins, i, all) {
    known = known || lilv_node_equals(lilv_plugin_get_bundle_uri(lilv_plugins_get(all, i)), bundle);
  }
  if (known) return bundle;
  const std::string messages = captureStandardError([&] { lilv_world_load_bundle(world_, bundle); });
  if (messages.find("error: ") != std::string::npos) {
    lilv_node_free(bundle);
    throw ToolError(static_cast<ExitStatus>(status), folder + ": its Turtle does not parse: " + firstError(messages));
  }
  return bundle;
}

std::vector<const LilvPlugin*> Lv2World::findPlugins(const std::string& name) {
  const FileIdentity file = identifyFile(name);
  const LilvPlugins* all = lilv_world_get_all_plugins(world_);
  if (!file.exists) {
    const bool looksLikeFolder = name.find("://") == std::string::npos && name.rfind("urn:", 0) != 0;
    if (looksLikeFolder) throw MissingFile(kExitBadModule, name + ": no such LV2 bundle");
    LilvNode* uri = lilv_new_uri(world_, name.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(all, uri);
    lilv_node_free(uri);
    if (plugin == nullptr) {
      throw ToolError(kExitBadModule, name + ": no LV2 plug-in of that URI on the LV2 path (lv2ls lists them)");
    }
    return {plugin};
  }
  LilvNode* bundle = loadBundle(name, kExitBadModule);
  std::vector<const LilvPlugin*> found;
  LILV_FOREACH (plugins, i, all) {
    const LilvPlugin* plugin = lilv_plugins_get(all, i);
    if (lilv_node_equals(lilv_plugin_get_bundle_uri(plugin), bundle)) found.push_back(plugin);
  }
  lilv_node_free(bundle);
  if (found.empty()) throw ToolError(kExitBadModule, name + ": the bundle describes no LV2 plug-in");
  for (const LilvPlugin* plugin : found) {
    // A plug-in's own Turtle is read only now.
    bool valid = false;
    const std::string messages = captureStandardError([&] { valid = lilv_plugin_verify(plugin); });
    if (!valid) {
      const std::string reason = messages.empty() ? "its description is incomplete" : firstError(messages);
      throw ToolError(kExitBadModule, name + ": its Turtle does not parse: " + reason);
    }
  }
  return found;
}
