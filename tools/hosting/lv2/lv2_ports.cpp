#include "tools/hosting/lv2/lv2_ports.h"

#include <algorithm>

namespace {

std::optional<float> floatOf(LilvNode* node) {
  std::optional<float> value;
  if (node != nullptr && (lilv_node_is_float(node) || lilv_node_is_int(node))) value = lilv_node_as_float(node);
  lilv_node_free(node);
  return value;
}

Lv2PortKind kindOf(const Lv2Vocabulary& uris, const LilvPlugin* plugin, const LilvPort* port) {
  if (lilv_port_is_a(plugin, port, uris.audioPort)) return Lv2PortKind::Audio;
  if (lilv_port_is_a(plugin, port, uris.controlPort)) return Lv2PortKind::Control;
  if (lilv_port_is_a(plugin, port, uris.cvPort)) return Lv2PortKind::Cv;
  if (lilv_port_is_a(plugin, port, uris.atomPort)) return Lv2PortKind::Atom;
  return Lv2PortKind::Other;
}

}  // namespace

std::vector<Lv2Port> readPorts(Lv2World& world, const LilvPlugin* plugin) {
  const Lv2Vocabulary& uris = world.uris();
  std::vector<Lv2Port> ports;
  Lv2Port* midiInput = nullptr;
  bool designated = false;
  const uint32_t count = lilv_plugin_get_num_ports(plugin);
  ports.reserve(count);
  for (uint32_t index = 0; index < count; ++index) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
    Lv2Port description;
    description.index = index;
    description.symbol = nodeText(lilv_port_get_symbol(plugin, port));
    LilvNode* name = lilv_port_get_name(plugin, port);
    description.name = nodeText(name);
    lilv_node_free(name);
    description.kind = kindOf(uris, plugin, port);
    description.input = lilv_port_is_a(plugin, port, uris.inputPort);
    description.optional = lilv_port_has_property(plugin, port, uris.connectionOptional);
    if (description.kind == Lv2PortKind::Control) {
      LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
      lilv_port_get_range(plugin, port, &defaultValue, &minimum, &maximum);
      description.defaultValue = floatOf(defaultValue);
      description.minimum = floatOf(minimum);
      description.maximum = floatOf(maximum);
      LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
      LILV_FOREACH (scale_points, i, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        description.scalePoints.push_back(
            {lilv_node_as_float(lilv_scale_point_get_value(point)), nodeText(lilv_scale_point_get_label(point))});
      }
      lilv_scale_points_free(points);
      std::sort(description.scalePoints.begin(), description.scalePoints.end(),
                [](const Lv2ScalePoint& a, const Lv2ScalePoint& b) { return a.value < b.value; });
    }
    if (description.kind == Lv2PortKind::Atom) {
      LilvNode* size = lilv_port_get(plugin, port, uris.minimumSize);
      if (size != nullptr && lilv_node_is_int(size) && lilv_node_as_int(size) > 0) {
        description.minimumSize = static_cast<uint32_t>(lilv_node_as_int(size));
      }
      lilv_node_free(size);
    }
    ports.push_back(description);
    const bool takesMidi = description.kind == Lv2PortKind::Atom && description.input &&
                           lilv_port_supports_event(plugin, port, uris.midiEvent);
    if (takesMidi) {
      LilvNode* designation = lilv_port_get(plugin, port, uris.designation);
      const bool isControl = designation != nullptr && lilv_node_equals(designation, uris.controlDesignation);
      lilv_node_free(designation);
      if (midiInput == nullptr || (isControl && !designated)) {
        midiInput = &ports.back();
        designated = isControl;
      }
    }
  }
  if (midiInput != nullptr) midiInput->midiInput = true;
  return ports;
}
