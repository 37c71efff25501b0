#include "live_values.h"

float knobValue(long step, int knob) {
  const int angle = static_cast<int>((step * 37 + knob * 53) % 241) - 120;
  return static_cast<float>((120.0 - angle) * 0.00416f);
}

float hostValue(long step, int index) { return static_cast<float>((step * 29 + index * 71) % 1001) / 1000.0f; }

void releaseKnobs(SoundSettings& sound, long step) {
  sound.setWaveform(knobValue(step, 0));
  sound.setFilter(knobValue(step, 1), knobValue(step, 2));
  sound.setEnvelope(knobValue(step, 3), knobValue(step, 4), knobValue(step, 5), knobValue(step, 6),
                    knobValue(step, 7));
}
