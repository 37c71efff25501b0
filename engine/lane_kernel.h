// The loop of the voice lanes, written once for every vector path. A path
// supplies `Ops`, its vector of lanes and the few operations on it, and
// `Phases`, its way of stepping the eight phases; the kernel then computes
// exactly what Voice::tick computes for each sounding voice, the same IEEE
// operations in the same order, lane by lane.
//
// The kernel runs the lanes [first, first + Ops::kWidth): all eight, or a
// half of four when the other half's voices are all free. A free voice is
// silent (its level is 0) and its filter is cleared by its next note, so only
// its phase moves: its lane runs a filter held at 0 (coefficients and states
// 0, whatever its oscillator gives), so that its output is 0, which leaves
// the mix as it is, and its filter states are kept as they were.
//
// Ops provides, for its vector type F of kWidth floats:
//   load, store, loadMask (all bits set or clear per lane), zero, set1;
//   add, sub, mul, div; andMask(x, mask); select(mask, ifSet, otherwise);
//   lessThan, greaterOrEqual (masks); truncated(x) (toward zero, |x| < 2^31);
//   any(mask); allFinite(x, mask) (every masked lane finite);
//   kFusedMix, and when it is set mixEight(rows, left, right, leftGain,
//   rightGain), which mixes eight rows of outputs as mixDown does.
// Phases provides current(first, F&), advance(frame) and store(float[8]).
#pragma once

#include <cstdint>

#include "engine/lane_run.h"
#include "engine/mix_down.h"

namespace lane_kernel {

constexpr int kLanes = LaneRun::kLanes;
constexpr int kMixGroup = 8;

// phase - period * trunc(phase / period): the phase over a period is below
// 2^31 in a run, so the conversion through an integer is the truncation.
template <typename Ops>
typename Ops::F positionInCycle(typename Ops::F phase, typename Ops::F period) {
  return Ops::sub(phase, Ops::mul(period, Ops::truncated(Ops::div(phase, period))));
}

// The same without the division, for phases below two periods. For floats,
// phase / period rounds to a value below 1 exactly when phase < period, and
// below 2 exactly when phase < 2 * period (the quotients that round up to 1
// or 2 lie closer to them than the nearest float does to period or 2 * period).
// So the truncated quotient is 0 or 1, and the position phase or
// phase - period.
template <typename Ops>
typename Ops::F positionInFirstTwoCycles(typename Ops::F phase, typename Ops::F period) {
  return Ops::sub(phase, Ops::andMask(period, Ops::greaterOrEqual(phase, period)));
}

// The waveforms, as in oscillators.cpp, made from a run's shape values (see
// LaneRun::shape). "t - x < 0" is "t < x" for the sizes a run takes.
template <typename Ops>
struct SquareWave {
  typename Ops::F halfPeriod;
  SquareWave(const float (&shape)[3][kLanes], int first) : halfPeriod(Ops::load(shape[0] + first)) {}
  typename Ops::F valueAt(typename Ops::F t) const {
    const typename Ops::F firstHalf = Ops::lessThan(t, halfPeriod);
    return Ops::sub(Ops::andMask(Ops::set1(2.0f), firstHalf), Ops::set1(1.0f));  // +1 or -1
  }
};

template <typename Ops>
struct SawWave {
  typename Ops::F slope;
  SawWave(const float (&shape)[3][kLanes], int first) : slope(Ops::load(shape[0] + first)) {}
  typename Ops::F valueAt(typename Ops::F t) const { return Ops::sub(Ops::mul(t, slope), Ops::set1(1.0f)); }
};

template <typename Ops>
struct TriangleWave {
  typename Ops::F slope, quarterPeriod, threeQuarterPeriod;
  TriangleWave(const float (&shape)[3][kLanes], int first)
      : slope(Ops::load(shape[0] + first)),
        quarterPeriod(Ops::load(shape[1] + first)),
        threeQuarterPeriod(Ops::load(shape[2] + first)) {}
  typename Ops::F valueAt(typename Ops::F t) const {
    const typename Ops::F rising = Ops::mul(t, slope);
    const typename Ops::F falling = Ops::sub(Ops::set1(2.0f), rising);
    const typename Ops::F risingAgain = Ops::sub(rising, Ops::set1(4.0f));
    return Ops::select(Ops::lessThan(t, quarterPeriod), rising,
                       Ops::select(Ops::lessThan(t, threeQuarterPeriod), falling, risingAgain));
  }
};

// kWithinTwoCycles: the caller vouches that no sounding lane's phase reaches
// two periods of its oscillator during the run.
template <typename Ops, bool kWithinTwoCycles, template <typename> class Wave, typename Phases>
bool run(LaneRun& run, Phases phases, int first) {
  using F = typename Ops::F;
  const Wave<Ops> wave(run.shape, first);
  const F cycle = Ops::load(run.cycle + first);
  const F twoCycles = Ops::add(cycle, cycle);
  const F sounding = Ops::loadMask(run.sounding + first);
  const F cutoff = Ops::andMask(Ops::load(run.cutoff + first), sounding);
  const F keep = Ops::andMask(Ops::load(run.keep + first), sounding);
  const F velocity = Ops::load(run.velocity + first);
  const F increment = Ops::load(run.increment + first);
  F state1 = Ops::andMask(Ops::load(run.state1 + first), sounding);
  F state2 = Ops::andMask(Ops::load(run.state2 + first), sounding);
  F level = Ops::load(run.level + first);
  const int others = first == 0 ? Ops::kWidth : 0;  // the first lane not run, when half are
  // Locals: the stores through `outputs` could alias the run's fields.
  const int32_t frames = run.frames;
  float(*const outputs)[kLanes] = run.outputs;
  const MixTarget mix = run.mix;

  for (int32_t i = 0; i < frames; ++i) {
    F phase;
    phases.current(first, phase);
    const bool beyondTwoCycles =
        !kWithinTwoCycles && Ops::any(Ops::andMask(Ops::greaterOrEqual(phase, twoCycles), sounding));
    const F position =
        beyondTwoCycles ? positionInCycle<Ops>(phase, cycle) : positionInFirstTwoCycles<Ops>(phase, cycle);
    phases.advance(i);

    const F s = wave.valueAt(position);
    state1 = Ops::add(Ops::mul(Ops::sub(s, state2), cutoff), Ops::mul(keep, state1));
    state2 = Ops::add(Ops::mul(state1, cutoff), Ops::mul(keep, state2));
    level = Ops::add(level, increment);
    Ops::store(outputs[i] + first, Ops::mul(Ops::mul(level, state2), velocity));
    if constexpr (Ops::kWidth < kLanes) Ops::store(outputs[i] + others, Ops::zero());
    if constexpr (Ops::kFusedMix) {
      if (i % kMixGroup == kMixGroup - 1) {
        const int32_t group = i - (kMixGroup - 1);
        Ops::mixEight(outputs + group, mix.left + group, mix.right + group, mix.leftGain, mix.rightGain);
      }
    }
  }

  // A filter that ran off to infinity or NaN stays there, so one look at the
  // end finds it.
  if (!Ops::allFinite(state2, sounding)) return false;

  const int32_t mixed = Ops::kFusedMix ? frames - frames % kMixGroup : 0;
  mixDown(outputs + mixed, frames - mixed, mix.leftGain, mix.rightGain, mix.left + mixed, mix.right + mixed);
  phases.store(run.phase);
  Ops::store(run.state1 + first, Ops::select(sounding, state1, Ops::load(run.state1 + first)));
  Ops::store(run.state2 + first, Ops::select(sounding, state2, Ops::load(run.state2 + first)));
  Ops::store(run.level + first, level);
  return true;
}

// The run for the run's waveform.
template <typename Ops, bool kWithinTwoCycles, typename Phases>
bool runWave(LaneRun& laneRun, const Phases& phases, int first) {
  switch (laneRun.wave) {
    case LaneRun::Wave::Square: return run<Ops, kWithinTwoCycles, SquareWave>(laneRun, phases, first);
    case LaneRun::Wave::Saw: return run<Ops, kWithinTwoCycles, SawWave>(laneRun, phases, first);
    case LaneRun::Wave::Triangle:
    default: return run<Ops, kWithinTwoCycles, TriangleWave>(laneRun, phases, first);
  }
}

}  // namespace lane_kernel
