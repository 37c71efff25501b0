#include "engine/envelope.h"

void Envelope::trigger() {
  state = Attack;
  level = 0.0f;
  if (attackLength == 0.0f) {
    state = Decay;
    if (decayLength == 0.0f) {
      state = Sustain;
    } else {
      level = peakLevel;
    }
  }
  attackStep = attackLength == 0.0f ? 0.0f : peakLevel / attackLength;
  decayStep = decayLength == 0.0f ? 0.0f : (peakLevel - sustainLevel) / decayLength;
  attackCount = 0.0f;
  decayCount = 0.0f;
}

void Envelope::release() {
  state = Release;
  releaseStep = releaseLength == 0.0f ? 0.0f : level / releaseLength;
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
