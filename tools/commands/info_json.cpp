#include "tools/commands/info_json.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence that starts at `at`, or 0.
size_t utf8Length(const std::string& text, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length = 0;
  uint32_t point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    point = (point << 6) | (next & 0x3F);
  }
  // Overlong forms, UTF-16 surrogates and points beyond U+10FFFF are not UTF-8.
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < smallest[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
  return length;
}

std::string escaped(uint32_t point) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(point));
  return text;
}

std::string number(long long value) { return std::to_string(value); }

const char* canDoValue(int64_t answer) {
  if (answer > 0) return "true";
  if (answer < 0) return "false";
  return "null";
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string json = "\"";
  for (size_t at = 0; at < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      json += escaped(byte);
    } else if (byte >= 0x80) {
      const size_t length = utf8Length(text, at);
      if (length == 0) {
        json += escaped(byte);  // Latin-1
        ++at;
      } else {
        json += text.substr(at, length);
        at += length;
      }
      continue;
    } else {
      json += static_cast<char>(byte);
    }
    ++at;
  }
  return json + "\"";
}

std::string describeAsJson(const Vst2Description& plugin) {
  std::string json = "{\n";
  const auto field = [&](const std::string& name, const std::string& value, bool last = false) {
    json += "  " + jsonString(name) + ": " + value + (last ? "\n" : ",\n");
  };
  field("module", jsonString(plugin.modulePath));
  field("name", jsonString(plugin.name));
  field("vendor", jsonString(plugin.vendor));
  field("product", jsonString(plugin.product));
  field("vendorVersion", number(plugin.vendorVersion));
  field("uniqueId", jsonString(plugin.uniqueIdText));
  field("uniqueIdNumber", number(plugin.uniqueId));
  field("version", number(plugin.version));
  field("vstVersion", number(plugin.vstVersion));
  field("category", number(plugin.category));
  field("categoryName", jsonString(plugin.categoryName));
  field("inputs", number(plugin.inputs));
  field("outputs", number(plugin.outputs));
  std::string flags;
  for (const std::string& name : plugin.flags) flags += (flags.empty() ? "" : ", ") + jsonString(name);
  field("flags", "[" + flags + "]");
  field("unnamedFlags", number(plugin.unnamedFlags));
  field("initialDelay", number(plugin.initialDelay));
  field("tailSize", number(plugin.tailSize));

  std::string programs;
  for (const std::string& name : plugin.programs)
    programs += (programs.empty() ? "\n    " : ",\n    ") + jsonString(name);
  field("programs", "[" + programs + (programs.empty() ? "]" : "\n  ]"));
  if (!plugin.programValues.empty()) {
    std::string values;
    for (const std::vector<float>& program : plugin.programValues) {
      std::string list;
      for (const float value : program) {
        // JSON has no NaN or infinity.
        char text[32] = "null";
        if (std::isfinite(value)) std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        list += (list.empty() ? "" : ", ") + std::string(text);
      }
      values += (values.empty() ? "\n    [" : ",\n    [") + list + "]";
    }
    field("programValues", "[" + values + "\n  ]");
  }

  std::string parameters;
  for (const Vst2Parameter& parameter : plugin.parameters) {
    parameters += (parameters.empty() ? "\n    " : ",\n    ");
    parameters += "{\"name\": " + jsonString(parameter.name) + ", \"label\": " + jsonString(parameter.label) +
                  ", \"display\": " + jsonString(parameter.display) + "}";
  }
  field("parameters", "[" + parameters + (parameters.empty() ? "]" : "\n  ]"));

  std::string canDo;
  for (const Vst2CanDo& answer : plugin.canDo) {
    canDo += (canDo.empty() ? "\n    " : ",\n    ") + jsonString(answer.question) + ": " + canDoValue(answer.answer);
  }
  field("canDo", "{" + canDo + (canDo.empty() ? "}" : "\n  }"));

  std::string pins;
  for (const Vst2Pin& pin : plugin.outputPins) {
    pins += (pins.empty() ? "\n    " : ",\n    ");
    if (!pin.described) {
      pins += "null";
    } else {
      pins += "{\"label\": " + jsonString(pin.label) + ", \"active\": " + (pin.active ? "true" : "false") +
              ", \"stereo\": " + (pin.stereo ? "true" : "false") + "}";
    }
  }
  field("outputPins", "[" + pins + (pins.empty() ? "]" : "\n  ]"), true);
  return json + "}\n";
}
