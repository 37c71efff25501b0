// Stands in for the engine's own engine/synth_engine.h when bench/CMakeLists.txt
// builds the "straightforward engine" module: the instrument's unchanged
// sources, compiled with this folder first on the include path, then play the
// plain model of the tests (the C library's sine and power for every voice
// and sample) in place of the optimised engine. bench/compare renders through
// both to measure what the optimisation buys.
#pragma once

#include "engine/midi_event.h"
#include "engine/render_cursor.h"
#include "tests/model/model_synth.h"

using SynthEngine = ModelSynth;
