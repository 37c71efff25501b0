// The loop of the one-shot lanes, written once for every vector path (see
// lane_kernel.h for `Ops` and the waveforms). Each lane computes exactly what
// Voice::tick computes for its voice, the same IEEE operations in the same
// order, and then what the instrument's mix does with one sounding voice:
// the mix's sum starts at 0 and adds this voice and seven silent ones. A
// silent voice gives +0 or -0, which leaves any sum as it is but for -0,
// which 0 + (-0) already turned into +0; so the mix of one voice is 0 + its
// output, clamped as mixDown clamps, times each output's gain.
//
// mixDown also turns NaN into 0, which a lane cannot give: its level is
// finite in every steady stage (a step is at most a level over a length of
// one sample or more), its velocity positive, so its output is NaN only when
// its filter is, and a filter that runs away has its run redone voice by
// voice.
//
// Beyond lane_kernel.h's operations, Ops provides clamped(x) (to the 16-bit
// range, as mixDown) and storeColumns(rows, destinations, offset): eight
// rows of eight lanes, one row per frame, stored so that lane k's eight
// frames land at destinations[k] + offset.
#pragma once

#include <cstdint>

#include "engine/lane_kernel.h"
#include "engine/one_shot_run.h"

namespace one_shot_kernel {

constexpr int kLanes = OneShotRun::kLanes;
constexpr int kGroups = OneShotRun::kGroups;
constexpr int kFramesPerStore = kLanes;  // frames that storeColumns writes at once

// One group of eight lanes: its state in registers while the run lasts.
template <typename Ops, bool kWithinTwoCycles, template <typename> class Wave>
struct LaneGroup {
  using F = typename Ops::F;
  Wave<Ops> wave;
  F period, cycle, twoCycles, cutoff, keep, velocity, increment, step;
  F phase, state1, state2, level;

  LaneGroup(const OneShotRun::Group& group, float phaseStep)
      : wave(group.shape, 0),
        period(Ops::load(group.period)),
        cycle(Ops::load(group.cycle)),
        twoCycles(Ops::add(cycle, cycle)),
        cutoff(Ops::load(group.cutoff)),
        keep(Ops::load(group.keep)),
        velocity(Ops::load(group.velocity)),
        increment(Ops::load(group.increment)),
        step(Ops::set1(phaseStep)),
        phase(Ops::load(group.phase)),
        state1(Ops::load(group.state1)),
        state2(Ops::load(group.state2)),
        level(Ops::load(group.level)) {}

  // One tick of every lane: the mix of its one voice, before the gains.
  F next() {
    const bool beyondTwoCycles = !kWithinTwoCycles && Ops::any(Ops::greaterOrEqual(phase, twoCycles));
    const F position = beyondTwoCycles ? lane_kernel::positionInCycle<Ops>(phase, cycle)
                                       : lane_kernel::positionInFirstTwoCycles<Ops>(phase, cycle);
    // The step is a float, so the voice's double sum rounded to float is
    // this float sum; "phase - period > 0" is "period < phase" at a lane's sizes.
    const F stepped = Ops::add(phase, step);
    phase = Ops::sub(stepped, Ops::andMask(period, Ops::lessThan(period, stepped)));

    const F s = wave.valueAt(position);
    state1 = Ops::add(Ops::mul(Ops::sub(s, state2), cutoff), Ops::mul(keep, state1));
    state2 = Ops::add(Ops::mul(state1, cutoff), Ops::mul(keep, state2));
    level = Ops::add(level, increment);
    const F output = Ops::mul(Ops::mul(level, state2), velocity);
    return Ops::clamped(Ops::add(Ops::zero(), output));
  }

  void store(OneShotRun::Group& group) const {
    Ops::store(group.phase, phase);
    Ops::store(group.state1, state1);
    Ops::store(group.state2, state2);
    Ops::store(group.level, level);
  }
};

// `count` frames (fewer than a store's eight) of eight lanes, lane by lane.
template <typename Ops>
void storeFirstColumns(const typename Ops::F (&rows)[kFramesPerStore], float* const* destinations, int32_t offset,
                       int count) {
  float values[kFramesPerStore][kLanes];
  for (int j = 0; j < count; ++j) Ops::store(values[j], rows[j]);
  for (int k = 0; k < kLanes; ++k) {
    for (int j = 0; j < count; ++j) destinations[k][offset + j] = values[j][k];
  }
}

// Rows of a store times a gain, into each lane's destination. Inlined, so
// that no call saves and restores the lanes' registers.
template <typename Ops, bool kFull>
__attribute__((always_inline)) inline void storeTimes(typename Ops::F gain, const typename Ops::F (&mixes)[kFramesPerStore], float* const* destinations,
                int32_t offset, int count) {
  typename Ops::F rows[kFramesPerStore];
  const int frames = kFull ? kFramesPerStore : count;
  for (int j = 0; j < frames; ++j) rows[j] = Ops::mul(gain, mixes[j]);
  if constexpr (kFull) {
    Ops::storeColumns(rows, destinations, offset);
  } else {
    storeFirstColumns<Ops>(rows, destinations, offset, count);
  }
}

// The frames [offset, offset + count) of both groups: eight of them when
// kFull, so that the loops have a fixed length.
template <typename Ops, bool kStereo, bool kFull, typename Group>
void renderFrames(Group (&groups)[kGroups], OneShotRun& run, int32_t offset, int count) {
  using F = typename Ops::F;
  const int frames = kFull ? kFramesPerStore : count;
  F mixes[kGroups][kFramesPerStore];
  for (int j = 0; j < frames; ++j) {
    for (int g = 0; g < kGroups; ++g) mixes[g][j] = groups[g].next();
  }
  for (int g = 0; g < kGroups; ++g) {
    storeTimes<Ops, kFull>(Ops::set1(run.leftGain), mixes[g], run.group[g].left, offset, frames);
    if constexpr (kStereo) storeTimes<Ops, kFull>(Ops::set1(run.rightGain), mixes[g], run.group[g].right, offset, frames);
  }
}

template <typename Ops, bool kWithinTwoCycles, template <typename> class Wave, bool kStereo>
void run(OneShotRun& run) {
  using Group = LaneGroup<Ops, kWithinTwoCycles, Wave>;
  Group groups[kGroups] = {Group(run.group[0], run.step), Group(run.group[1], run.step)};
  const int32_t frames = run.frames;
  int32_t i = 0;
  for (; i + kFramesPerStore <= frames; i += kFramesPerStore) {
    renderFrames<Ops, kStereo, true>(groups, run, i, kFramesPerStore);
  }
  if (i < frames) renderFrames<Ops, kStereo, false>(groups, run, i, static_cast<int>(frames - i));
  for (int g = 0; g < kGroups; ++g) groups[g].store(run.group[g]);
}

template <typename Ops, bool kWithinTwoCycles, template <typename> class Wave>
void runOutputs(OneShotRun& oneShotRun) {
  if (oneShotRun.stereo) {
    run<Ops, kWithinTwoCycles, Wave, true>(oneShotRun);
  } else {
    run<Ops, kWithinTwoCycles, Wave, false>(oneShotRun);
  }
}

template <typename Ops, bool kWithinTwoCycles>
void runWave(OneShotRun& oneShotRun) {
  switch (oneShotRun.wave) {
    case Waveform::Square: return runOutputs<Ops, kWithinTwoCycles, lane_kernel::SquareWave>(oneShotRun);
    case Waveform::Saw: return runOutputs<Ops, kWithinTwoCycles, lane_kernel::SawWave>(oneShotRun);
    case Waveform::Triangle:
    default: return runOutputs<Ops, kWithinTwoCycles, lane_kernel::TriangleWave>(oneShotRun);
  }
}

// The run for its waveform and outputs, with the position in the cycle
// computed without division when the run vouches for it.
template <typename Ops>
void runAny(OneShotRun& oneShotRun) {
  if (oneShotRun.withinTwoCycles) {
    runWave<Ops, true>(oneShotRun);
  } else {
    runWave<Ops, false>(oneShotRun);
  }
}

}  // namespace one_shot_kernel
