// The eight voices ticked together, one vector lane each, through a run of
// samples in which no envelope changes stage. It computes exactly what eight
// calls of Voice::tick per sample would: the same IEEE operations in the same
// order, lane by lane, with the per-sample tests that the run's conditions
// make unnecessary left out. Only the free voices' filter states differ: a
// free voice is silent and its next note clears them, so the lanes leave them
// as they were.
//
// The conditions (checked by canRun, and by the caller for the envelopes):
// - every voice plays the same kind of its own oscillators (setWaveform sets
//   all eight at once);
// - the vibrato and pitch inputs are the same in every voice: the counter,
//   depth, pitch factor and sample rate are written to all eight together,
//   and all eight are ticked together;
// - the periods are long enough, and the phases short enough, that a phase
//   over a period is always below 2^31, and that comparing two of them tells
//   the same as comparing their difference with 0 (no difference between
//   them can be flushed to zero);
// - no envelope changes stage during the run (Envelope::steadyTicks).
// Anything else is left to Voice::tick.
#pragma once

#include <cstdint>

#include "engine/lane_run.h"
#include "engine/mix_down.h"
#include "engine/vector_path.h"
#include "engine/voice.h"
#include "engine/voice_count.h"

// The oscillator's period of a voice playing waveform `wave` (its
// oscillator of that shape selected).
float oscillatorPeriod(const Voice& voice, Waveform wave);
// Lane `lane` from a voice playing waveform `wave`, before a run; and what a
// run of `frames` left there, back into the voice.
void loadLane(LaneVoices& lanes, int lane, const Voice& voice, Waveform wave);
void storeLane(const LaneVoices& lanes, int lane, Voice& voice, int32_t frames);
// Whether the voice's periods and phase are of the sizes a lane computes
// exactly (kShortestLanePeriod, kLongestLanePhase).
bool fitsLane(const Voice& voice, Waveform wave);

class VoiceLanes {
 public:
  static constexpr int kLanes = kVoiceCount;

  // Lanes on the given path, which the processor must support.
  explicit VoiceLanes(VectorPath path);

  static bool canRun(const Voice* voices);

  // Ticks the eight voices `frames` times, writes their outputs,
  // outputs[frame][voice], and sends their mix to `mix`. The phase step of
  // frame i is steps[i], or the voices' pitch factor for every frame when
  // steps is null (no vibrato). Answers false, leaving the voices as they
  // were and the outputs undefined, when a filter ran away (to infinity or
  // NaN) during the run: Voice::tick must take it.
  bool run(Voice* voices, const double* steps, int32_t frames, float (*outputs)[kLanes], const MixTarget& mix) const;

 private:
  bool (*kernel)(LaneRun&);
};
