// The linear attack-decay-sustain-release amplitude envelope of one voice.
// Its state is also the engine's only record of whether a voice is busy: a
// voice is free exactly when its envelope is Idle.
//
// Stage lengths are counted in samples and need not be whole numbers; the
// counts grow by 1 per tick and a stage ends on the tick where its count
// first exceeds its length, so a stage of whole length L runs L + 1 ticks
// (a release reaches 0 on its L-th tick and turns Idle on the next). A stage
// change takes effect on the next tick.
#pragma once

#include <cstdint>

#include "engine/relaxed.h"

class Envelope {
 public:
  enum State : int32_t { Idle = 0, Attack = 1, Decay = 2, Sustain = 3, Release = 4 };

  // Starts from level 0 (skipping a zero-length attack, and decay after it).
  void trigger();
  // Fades in a straight line from the current level to 0; acts in any state.
  void release();
  // Advances one sample and returns the level.
  float tick();
  // How many of the next ticks, at most `limit`, leave the stage as it is:
  // they only add a fixed step to the level (Attack, Decay, Release) or hold
  // it (Sustain, Idle). The tick after them changes the stage.
  int32_t steadyTicks(int32_t limit) const;
  // The level after each such tick is the previous one plus this, a signed
  // step; -0 in the stages that hold the level, which adding leaves unchanged.
  float steadyIncrement() const;
  // The level that steady ticks start from: the held level in Sustain and
  // Idle, the current one otherwise.
  float steadyStartLevel() const;
  // Accounts for `ticks` steady ticks that ended at `endLevel`.
  void skipSteadyTicks(int32_t ticks, float endLevel);

  State state = Idle;
  float level = 0.0f;
  float attackStep = 0.0f;
  float decayStep = 0.0f;
  float releaseStep = 0.0f;
  float attackCount = 0.0f;
  float decayCount = 0.0f;
  float releaseCount = 0.0f;
  // The settings, written by parameter application, possibly from another
  // thread while the envelope runs; steps follow them only at the next
  // trigger or release.
  Relaxed<float> attackLength = 0.0f;
  Relaxed<float> peakLevel = 0.0f;
  Relaxed<float> decayLength = 0.0f;
  Relaxed<float> sustainLevel = 0.0f;
  Relaxed<float> releaseLength = 0.0f;
};
