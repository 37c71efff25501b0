#include "tools/hosting/lv2/lv2_description.h"

#include <algorithm>

#include "tools/hosting/lv2/lv2_world.h"

namespace {

std::vector<std::string> texts(LilvNodes* nodes) {
  std::vector<std::string> list;
  LILV_FOREACH (nodes, i, nodes) list.push_back(nodeText(lilv_nodes_get(nodes, i)));
  lilv_nodes_free(nodes);
  return list;
}

std::vector<Lv2Preset> presets(Lv2World& world, const LilvPlugin* plugin) {
  std::vector<Lv2Preset> list;
  LilvNodes* related = lilv_plugin_get_related(plugin, world.uris().preset);
  LILV_FOREACH (nodes, i, related) {
    const LilvNode* preset = lilv_nodes_get(related, i);
    lilv_world_load_resource(world.world(), preset);
    LilvNode* label = lilv_world_get(world.world(), preset, world.uris().label, nullptr);
    list.push_back({nodeText(preset), nodeText(label)});
    lilv_node_free(label);
  }
  lilv_nodes_free(related);
  std::sort(list.begin(), list.end(), [](const Lv2Preset& a, const Lv2Preset& b) { return a.uri < b.uri; });
  return list;
}

std::vector<Lv2Ui> uis(Lv2World& world, const LilvPlugin* plugin) {
  std::vector<Lv2Ui> list;
  LilvUIs* all = lilv_plugin_get_uis(plugin);
  LILV_FOREACH (uis, i, all) {
    const LilvUI* ui = lilv_uis_get(all, i);
    const LilvNodes* classes = lilv_ui_get_classes(ui);
    const std::string kind = nodeText(lilv_nodes_get_first(classes));
    list.push_back({nodeText(lilv_ui_get_uri(ui)), kind, lilv_ui_is_a(ui, world.uris().x11Ui)});
  }
  lilv_uis_free(all);
  return list;
}

}  // namespace

Lv2Description describeLv2(const Lv2Plugin& plugin) {
  Lv2World& world = Lv2World::instance();
  const LilvPlugin* lilvPlugin = plugin.lilvPlugin();
  Lv2Description description;
  description.uri = plugin.uri();
  description.bundle = nodePath(lilv_plugin_get_bundle_uri(lilvPlugin));
  description.name = plugin.label();
  LilvNode* author = lilv_plugin_get_author_name(lilvPlugin);
  description.author = nodeText(author);
  lilv_node_free(author);
  description.className = nodeText(lilv_plugin_class_get_label(lilv_plugin_get_class(lilvPlugin)));
  description.ports = plugin.ports();
  description.audioOutputs = static_cast<int>(std::count_if(plugin.ports().begin(), plugin.ports().end(), [](const Lv2Port& port) {
    return port.kind == Lv2PortKind::Audio && !port.input;
  }));
  description.requiredFeatures = texts(lilv_plugin_get_required_features(lilvPlugin));
  description.optionalFeatures = texts(lilv_plugin_get_optional_features(lilvPlugin));
  description.presets = presets(world, lilvPlugin);
  description.uis = uis(world, lilvPlugin);
  return description;
}
