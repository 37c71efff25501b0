#include "lv2/turtle_text.h"

#include <cstdio>
#include <cstdlib>

std::string turtleNumber(float value) {
  char text[32];
  for (int digits = 1; digits <= 9; ++digits) {  // nine significant digits always read back
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value && static_cast<float>(std::strtod(text, nullptr)) == value) break;
  }
  std::string number = text;
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

std::string turtleString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

bool writeWholeFile(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    return false;
  }
  return true;
}
