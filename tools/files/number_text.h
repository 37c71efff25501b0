// Numbers in messages as Python prints them: the messages of the Python
// package, and of what it renders with, quote the values a script gave.
#pragma once

#include <charconv>
#include <cmath>
#include <string>

// The shortest text that reads back as the same double, as repr() gives it
// ("nan" whatever its sign bit).
inline std::string pythonNumber(double value) {
  if (std::isnan(value)) return "nan";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}
