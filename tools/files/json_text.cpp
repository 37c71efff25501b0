#include "tools/files/json_text.h"

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

std::string jsonNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return std::isfinite(value) ? text : "null";
}

std::string exactNumber(double value) {
  char text[32];
  const bool isFloat = static_cast<double>(static_cast<float>(value)) == value;
  std::snprintf(text, sizeof text, isFloat ? "%.9g" : "%.17g", value);
  return text;
}

std::string jsonList(const std::vector<std::string>& items, const char* indent) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "\n" : ",\n") + std::string(indent) + item;
  return "[" + list + (list.empty() ? "]" : "\n" + std::string(indent).substr(2) + "]");
}

std::vector<std::string> jsonStrings(const std::vector<std::string>& texts) {
  std::vector<std::string> items;
  for (const std::string& text : texts) items.push_back(jsonString(text));
  return items;
}
