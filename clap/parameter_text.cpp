#include "clap/parameter_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/parameter_table.h"

namespace {

// What follows the number: the unit, or the shape the waveform selects.
std::string suffixOf(int parameter, float value) {
  if (parameter == waveform) return std::string(" (") + waveformShapeOf(value).name + ")";
  return kParameters[parameter].unit == ParameterUnit::seconds ? " s" : "";
}

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

bool parameterValueText(int parameter, double value, char* text, uint32_t capacity) {
  if (!text || capacity == 0) return false;
  const float held = static_cast<float>(value);
  char number[32];
  const auto [end, error] = std::to_chars(number, number + sizeof number, held);
  if (error != std::errc{}) return false;
  const std::string shown = std::string(number, end) + suffixOf(parameter, held);
  if (shown.size() >= capacity) return false;
  std::memcpy(text, shown.c_str(), shown.size() + 1);
  return true;
}

bool parameterValueFromText(int parameter, const char* text, double* value) {
  if (!text || !value) return false;
  const std::string_view typed = trimmed(text);
  if (parameter == waveform) {
    for (const WaveformShape& shape : kWaveformShapes) {
      if (sameLetters(typed, shape.name)) {
        *value = shape.value;
        return true;
      }
    }
  }
  float number = 0.0f;
  const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), number);
  if (error != std::errc{} || !std::isfinite(number)) return false;
  const std::string_view rest = trimmed(std::string_view(end, static_cast<size_t>(typed.data() + typed.size() - end)));
  if (!rest.empty() && rest != trimmed(suffixOf(parameter, number))) return false;
  *value = number;
  return true;
}
