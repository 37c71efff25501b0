// Ready sounds, each a name and the eight parameter values: the LV2 bundle's
// presets and the VST 2 factory bank (quorlin-factory.fxb) are made from this
// one table. One bank holds the instrument's four programs, so there are four.
#pragma once

#include "engine/parameters.h"

struct FactorySound {
  const char* name;  // at most 23 characters: a VST 2 program name
  const char* slug;  // the end of its preset's URI: lower case and '-'
  float values[kParameterCount];  // by ParameterIndex
};

// Values by ParameterIndex: waveform, attack time, attack level, decay time,
// sustain level, release time, lowpass, resonance (damping: lower rings more).
inline constexpr FactorySound kFactorySounds[] = {
    {"Round Bass", "round-bass", {0.0f, 0.004f, 0.6f, 0.3f, 0.35f, 0.06f, 0.07f, 0.5f}},
    {"Slow Pad", "slow-pad", {0.5f, 0.6f, 0.22f, 0.5f, 0.18f, 0.8f, 0.12f, 0.8f}},
    {"Glass Pluck", "glass-pluck", {1.0f, 0.0f, 0.5f, 0.35f, 0.0f, 0.12f, 0.35f, 0.25f}},
    {"Bright Lead", "bright-lead", {0.5f, 0.02f, 0.35f, 0.15f, 0.3f, 0.1f, 0.45f, 0.3f}},
};
constexpr int kFactorySoundCount = sizeof kFactorySounds / sizeof kFactorySounds[0];
