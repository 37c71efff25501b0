#include "engine/envelope.h"

#include <cmath>

namespace {

// A count is a float that grows by 1 per tick: it stops at 2^24, where adding
// 1 no longer changes it, so a stage at least that long never ends.
constexpr float kCountLimit = 16777216.0f;

// Ticks before the one whose count exceeds `length`, at most `limit`.
int32_t ticksWithin(float count, float length, int32_t limit) {
  if (length >= kCountLimit) return limit;
  const double room = std::floor(static_cast<double>(length)) - static_cast<double>(count);
  if (!(room > 0.0)) return 0;
  return room < limit ? static_cast<int32_t>(room) : limit;
}

float countedOn(float count, int32_t ticks) {
  const double counted = static_cast<double>(count) + ticks;
  return counted < kCountLimit ? static_cast<float>(counted) : kCountLimit;
}

}  // namespace

// The settings are read once each: a change arriving meanwhile cannot split
// one decision.
void Envelope::trigger() {
  const float attack = attackLength;
  const float decay = decayLength;
  const float peak = peakLevel;
  state = Attack;
  level = 0.0f;
  if (attack == 0.0f) {
    state = Decay;
    if (decay == 0.0f) {
      state = Sustain;
    } else {
      level = peak;
    }
  }
  attackStep = attack == 0.0f ? 0.0f : peak / attack;
  decayStep = decay == 0.0f ? 0.0f : (peak - sustainLevel) / decay;
  attackCount = 0.0f;
  decayCount = 0.0f;
}

void Envelope::release() {
  const float length = releaseLength;
  state = Release;
  releaseStep = length == 0.0f ? 0.0f : level / length;
  releaseCount = 0.0f;
}

float Envelope::tick() {
  switch (state) {
    case Attack:
      level += attackStep;
      attackCount += 1.0f;
      if (attackLength - attackCount < 0.0f) state = Decay;
      break;
    case Decay:
      level -= decayStep;
      decayCount += 1.0f;
      if (decayLength - decayCount < 0.0f) state = Sustain;
      break;
    case Sustain:
      level = sustainLevel;
      break;
    case Release:
      level -= releaseStep;
      releaseCount += 1.0f;
      if (releaseLength - releaseCount < 0.0f) {
        state = Idle;
        level = 0.0f;
      }
      break;
    case Idle:
    default:
      level = 0.0f;
      break;
  }
  return level;
}

int32_t Envelope::steadyTicks(int32_t limit) const {
  switch (state) {
    case Attack: return ticksWithin(attackCount, attackLength, limit);
    case Decay: return ticksWithin(decayCount, decayLength, limit);
    case Release: return ticksWithin(releaseCount, releaseLength, limit);
    default: return limit;
  }
}

float Envelope::steadyIncrement() const {
  switch (state) {
    case Attack: return attackStep;
    case Decay: return -decayStep;  // x - y is x + (-y), bit for bit
    case Release: return -releaseStep;
    default: return -0.0f;
  }
}

float Envelope::steadyStartLevel() const {
  switch (state) {
    case Attack:
    case Decay:
    case Release: return level;
    case Sustain: return sustainLevel;
    default: return 0.0f;
  }
}

void Envelope::skipSteadyTicks(int32_t ticks, float endLevel) {
  level = endLevel;
  switch (state) {
    case Attack: attackCount = countedOn(attackCount, ticks); break;
    case Decay: decayCount = countedOn(decayCount, ticks); break;
    case Release: releaseCount = countedOn(releaseCount, ticks); break;
    default: break;
  }
}
