// What the instrument says about its eight parameters wherever it must say
// it: the default program, the names painted on the editor's panel and the
// LV2 description are all made from this one table.
#pragma once

#include "engine/parameters.h"

enum class ParameterUnit { none, seconds };

struct ParameterDescription {
  const char* name;    // as the panel labels the knob (in capitals, without spaces)
  const char* symbol;  // a stable identifier for hosts: lower case and '_'
  ParameterUnit unit;
  float defaultValue;  // what every program starts with
  const char* comment;
};

// Every parameter runs over the same range.
constexpr float kParameterMinimum = 0.0f;
constexpr float kParameterMaximum = 1.0f;

// Indexed by ParameterIndex. The default program is a bright sawtooth at a
// third of full scale, the filter wide open, no envelope times.
inline constexpr ParameterDescription kParameters[kParameterCount] = {
    {"Waveform", "waveform", ParameterUnit::none, 0.5f, "Square below 0.33, sawtooth up to 0.66, triangle above"},
    {"Attack Time", "attack_time", ParameterUnit::seconds, 0.0f, "Time from the key press to the attack level"},
    {"Attack Level", "attack_level", ParameterUnit::none, 0.3f, "Level the attack climbs to"},
    {"Decay Time", "decay_time", ParameterUnit::seconds, 0.0f, "Time from the attack level to the sustain level"},
    {"Sustain Level", "sustain_level", ParameterUnit::none, 0.3f, "Level held while the key is down"},
    {"Release Time", "release_time", ParameterUnit::seconds, 0.0f, "Time from the key's release to silence"},
    {"Lowpass", "lowpass", ParameterUnit::none, 0.999f, "Corner of the low-pass filter: 0 closes it, 1 opens it"},
    {"Resonance", "resonance", ParameterUnit::none, 0.999f,
     "Damping of the low-pass filter: lower values ring more at the corner"},
};

struct WaveformShape {
  const char* name;
  float value;  // well inside the shape's range of the waveform parameter
};

inline constexpr WaveformShape kWaveformShapes[] = {{"Square", 0.0f}, {"Sawtooth", 0.5f}, {"Triangle", 1.0f}};

// The shape a waveform value selects, as the engine chooses it
// (kWaveformShapes lists the shapes in the order of Waveform).
inline const WaveformShape& waveformShapeOf(float value) {
  return kWaveformShapes[static_cast<int>(waveformOf(value))];
}
