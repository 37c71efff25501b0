#include "clap/parameter_values.h"

#include "engine/parameter_table.h"

ParameterValues::ParameterValues() {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    values[parameter] = kParameters[parameter].defaultValue;
  }
}

void ParameterValues::getAll(ParameterSet& out) const {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) out[parameter] = values[parameter];
}

// The values first, then the flag with release: the audio thread that takes
// the flag reads them all.
void ParameterValues::replaceAll(const ParameterSet& replacement) {
  for (int parameter = 0; parameter < kParameterCount; ++parameter) values[parameter] = replacement[parameter];
  replaced.store(true, std::memory_order_release);
}

void ParameterValues::proposeFromEditor(int parameter, float value) {
  proposals[parameter] = value;
  proposed.fetch_or(1u << parameter, std::memory_order_release);
}
