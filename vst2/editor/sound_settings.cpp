#include "vst2/editor/sound_settings.h"

#include "editor/knob_angles.h"
#include "editor/mouse_editing.h"
#include "engine/parameters.h"

void SoundSettings::knobsReleased(const KnobAngles& knobs, int) {
  float values[kParameterCount];
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    values[parameter] = knobValue(knobs.angle(parameter));
  }
  setWaveform(values[waveform]);
  setFilter(values[cutoff], values[damping]);
  setEnvelope(values[attackTime], values[peakLevel], values[decayTime], values[sustainLevel], values[releaseTime]);
}
