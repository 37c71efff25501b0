// Numbers in messages as Python prints them.
#pragma once

#include <charconv>
#include <string>

// The shortest text that reads back as the same double, as repr() gives it.
inline std::string pythonNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}
