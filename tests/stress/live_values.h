// The values a host and the editor send while the instrument plays, as
// deterministic streams: step by step, a different value for every index.
#pragma once

#include "vst2/editor/sound_settings.h"

/// What a knob released at one of its 241 whole-degree angles sends:
/// (120 - angle) * 0.00416, 0 to 0.9984. Knobs in knob order.
float knobValue(long step, int knob);

/// A parameter value across the nominal 0..1, as automation sends it.
float hostValue(long step, int index);

/// The three calls of one knob release, in the editor's order.
void releaseKnobs(SoundSettings& sound, long step);
