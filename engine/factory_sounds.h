// Ready sounds, each a name and the eight parameter values: the LV2 bundle's
// presets and the VST 2 factory bank (quorlin-factory.fxb) are made from this
// one table. A bank holds the instrument's four programs, so there are four.
//
// Chosen by rendering phrases that suit each (a bass line around C2, chords,
// a sixteenth-note arpeggio, a melody) at 48 kHz and measuring envelope,
// spectrum and peaks: every sound keeps a three-note chord at velocity 100
// below full scale, and the lowpass corners (about 540 Hz, 1.2, 2.3 and
// 5.9 kHz at 48 kHz) order them from dark to bright.
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
    // A square through a low corner with a little ring: a round fundamental,
    // 5 ms to full level, settling to sustain, 60 ms release for tight lines.
    {"Round Bass", "round-bass", {0.0f, 0.004f, 0.36f, 0.3f, 0.25f, 0.06f, 0.07f, 0.5f}},
    // A sawtooth, dark and hardly resonant, fading in over half a second and
    // out over 0.9 s, so that chords swell and overlap.
    {"Warm Pad", "warm-pad", {0.5f, 0.5f, 0.3f, 0.8f, 0.24f, 0.9f, 0.16f, 0.7f}},
    // A sawtooth struck at once and dying away in 0.3 s with nothing held,
    // a resonant corner near 2.3 kHz giving it its pick.
    {"Resonant Pluck", "resonant-pluck", {0.5f, 0.0f, 0.38f, 0.3f, 0.0f, 0.1f, 0.3f, 0.15f}},
    // A sawtooth through a high, ringing corner: bright and held while the
    // key is down, with a quick attack for fast lines.
    {"Bright Lead", "bright-lead", {0.5f, 0.01f, 0.3f, 0.2f, 0.24f, 0.12f, 0.75f, 0.35f}},
};
constexpr int kFactorySoundCount = sizeof kFactorySounds / sizeof kFactorySounds[0];
