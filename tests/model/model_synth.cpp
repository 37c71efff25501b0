#include "tests/model/model_synth.h"

#include <cmath>

#include "engine/denormal_guard.h"

ModelSynth::ModelSynth() {
  for (int n = 0; n < 128; ++n) {
    const double hz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    noteFrequency[n] = std::round(hz * 1e6) / 1e6;
  }
  setFilter(0.999f, 0.999f);
}

void ModelSynth::setSampleRate(float rate) {
  if (!(rate > 0.0f) || !std::isnormal(rate)) return;
  for (Voice& v : voices) v.sampleRate = rate;
}

void ModelSynth::setWaveform(float value) {
  for (Voice& v : voices) {
    if ((double)value < 0.33) {
      v.waveform = Square;
    } else if ((double)value <= 0.66) {
      v.waveform = Saw;
    } else {
      v.waveform = Triangle;
    }
  }
}

void ModelSynth::setFilter(float cutoff, float damping) {
  for (Voice& v : voices) {
    v.cutoff = cutoff;
    v.damping = damping;
  }
}

void ModelSynth::setEnvelope(float attack, float peak, float decay, float sustain, float release) {
  for (Voice& v : voices) {
    v.attackLength = v.sampleRate * attack;
    v.peakLevel = peak;
    v.decayLength = v.sampleRate * decay;
    v.sustainLevel = sustain;
    v.releaseLength = v.sampleRate * release;
  }
}

float ModelSynth::oscillatorValue(const Voice& v) {
  switch (v.waveform) {
    case Square: {
      const float t = v.phase - v.squarePeriod * std::trunc(v.phase / v.squarePeriod);
      return t - v.squareHalfPeriod < 0.0f ? 1.0f : -1.0f;
    }
    case Saw: {
      const float t = v.phase - v.sawPeriod * std::trunc(v.phase / v.sawPeriod);
      return t * v.sawSlope - 1.0f;
    }
    case Triangle: {
      const float t = v.phase - v.trianglePeriod * std::trunc(v.phase / v.trianglePeriod);
      if (t - v.triangleQuarter < 0.0f) return t * v.triangleSlope;
      if (t - v.triangleThreeQuarters < 0.0f) return 2.0f - t * v.triangleSlope;
      return t * v.triangleSlope - 4.0f;
    }
  }
  return 0.0f;
}

float ModelSynth::envelopeTick(Voice& v) {
  switch (v.stage) {
    case Idle:
      v.level = 0.0f;
      break;
    case Attack:
      v.level = v.level + v.attackStep;
      v.attackCount = v.attackCount + 1.0f;
      if (v.attackLength - v.attackCount < 0.0f) v.stage = Decay;
      break;
    case Decay:
      v.level = v.level - v.decayStep;
      v.decayCount = v.decayCount + 1.0f;
      if (v.decayLength - v.decayCount < 0.0f) v.stage = Sustain;
      break;
    case Sustain:
      v.level = v.sustainLevel;
      break;
    case Release:
      v.level = v.level - v.releaseStep;
      v.releaseCount = v.releaseCount + 1.0f;
      if (v.releaseLength - v.releaseCount < 0.0f) {
        v.stage = Idle;
        v.level = 0.0f;
      }
      break;
  }
  return v.level;
}

void ModelSynth::envelopeRelease(Voice& v) {
  v.stage = Release;
  if (v.releaseLength == 0.0f) {
    v.releaseStep = 0.0f;
  } else {
    v.releaseStep = v.level / v.releaseLength;
  }
  v.releaseCount = 0.0f;
}

float ModelSynth::voiceTick(Voice& v) {
  const float s = oscillatorValue(v);
  const double vib =
      (1.0 + std::sin((double)v.lfoCounter * 125.6 / (double)v.sampleRate)) * (double)v.modDepth;
  const double pf = std::pow(2.0, (double)(v.pitchBend * 0.1666f));
  v.phase = (float)((double)v.phase + (vib + pf));
  v.lfoCounter = v.lfoCounter + 1.0;
  if (v.phase - v.period > 0.0f) v.phase = v.phase - v.period;

  const float f = v.cutoff;
  const float q = v.damping;
  const float h = 1.0f - q * f;
  v.filterState1 = (s - v.filterState2) * f + h * v.filterState1;
  v.filterState2 = v.filterState1 * f + h * v.filterState2;

  const float e = envelopeTick(v);
  return e * v.filterState2 * v.velocity;
}

void ModelSynth::startNote(Voice& v, int note, int velocityByte) {
  v.velocity = velocityByte * 0.007874016f;
  v.filterState2 = 0.0f;
  v.filterState1 = 0.0f;
  v.note = note;
  v.period = (float)((double)v.sampleRate / noteFrequency[note]);

  // Envelope trigger.
  v.stage = Attack;
  v.level = 0.0f;
  if (v.attackLength == 0.0f) {
    v.stage = Decay;
    if (v.decayLength == 0.0f) {
      v.stage = Sustain;
    } else {
      v.level = v.peakLevel;
    }
  }
  v.attackStep = v.attackLength == 0.0f ? 0.0f : v.peakLevel / v.attackLength;
  v.decayStep = v.decayLength == 0.0f ? 0.0f : (v.peakLevel - v.sustainLevel) / v.decayLength;
  v.attackCount = 0.0f;
  v.decayCount = 0.0f;

  // Start the selected oscillator only.
  const float frequency = (float)noteFrequency[note];
  switch (v.waveform) {
    case Square:
      v.squarePeriod = v.sampleRate / frequency;
      v.squareHalfPeriod = v.squarePeriod * 0.5f;
      break;
    case Saw:
      v.sawPeriod = v.sampleRate / frequency;
      v.sawSlope = 2.0f / v.sawPeriod;
      break;
    case Triangle:
      v.trianglePeriod = v.sampleRate / frequency;
      v.triangleQuarter = v.trianglePeriod * 0.25f;
      v.triangleThreeQuarters = v.trianglePeriod * 0.75f;
      v.triangleSlope = 4.0f / v.trianglePeriod;
      break;
  }
}

void ModelSynth::setPan(int value) {
  if (value == 63 || value == 64) {
    leftPan = 1.0f;
    rightPan = 1.0f;
  } else if (value >= 0 && value <= 62) {
    leftPan = 1.0f;
    rightPan = value * 0.015873017f;
  } else if (value >= 65 && value <= 127) {
    leftPan = (127 - value) * 0.015873017f;
    rightPan = 1.0f;
  }
}

void ModelSynth::noteOff(int note) {
  for (Voice& v : voices) {
    if (v.note == note && (v.stage == Attack || v.stage == Decay || v.stage == Sustain)) {
      envelopeRelease(v);
      return;
    }
  }
}

void ModelSynth::playEvent(const MidiEvent& event) {
  const int d1 = (int8_t)event.data1;
  const int d2 = (int8_t)event.data2;
  if (d1 < 0 || d2 < 0) return;
  switch (event.status & 0xF0) {
    case 0x80:
      noteOff(d1);
      break;
    case 0x90:
      if (d2 == 0) {
        noteOff(d1);
        break;
      }
      for (Voice& v : voices) v.pitchBend = 0.0f;
      for (Voice& v : voices) v.modDepth = 0.0f;
      for (Voice& v : voices) {
        if (v.stage == Idle) {
          startNote(v, d1, d2);
          break;
        }
      }
      break;
    case 0xB0:
      if (d1 == 1) {
        for (Voice& v : voices) v.modDepth = d2 * 0.0002f;
      } else if (d1 == 7) {
        volumeGain = d2 * 0.007874016f;
      } else if (d1 == 10) {
        setPan(d2);
      } else if (d1 == 123 || d1 == 126) {
        for (Voice& v : voices) envelopeRelease(v);
      }
      break;
    case 0xE0:
      for (Voice& v : voices) v.pitchBend = (d2 - 64) * 0.0156f;
      break;
  }
}

void ModelSynth::render(const MidiEvent* events, int32_t eventCount, RenderCursor& cursor,
                        float* left, float* right, int32_t frames) {
  const DenormalGuard denormalGuard;
  framesLeft = frames;
  if (framesLeft <= 0) return;
  do {
    if (cursor.nextEvent < eventCount) {
      currentEvent = &events[cursor.nextEvent];
      chunkFrames = currentEvent->deltaFrames - cursor.eventFramePos;
      if (chunkFrames > framesLeft) chunkFrames = framesLeft;
      if (chunkFrames < 0) chunkFrames = 0;
    } else {
      currentEvent = nullptr;
      chunkFrames = framesLeft;
    }

    chunkLeft = chunkFrames;
    while (chunkLeft > 0) {
      bool anySounding = false;
      for (const Voice& v : voices) anySounding = anySounding || v.stage != Idle;
      if (!anySounding) {
        *left++ = 0.0f;
        *right++ = 0.0f;
      } else {
        float sum = 0.0f;
        for (Voice& v : voices) sum += voiceTick(v);
        if (sum > 32767.0f) sum = 32767.0f;
        if (sum < -32768.0f) sum = -32768.0f;
        *left++ = leftPan * volumeGain * sum;
        *right++ = rightPan * volumeGain * sum;
      }
      chunkLeft--;
    }

    cursor.eventFramePos += chunkFrames;
    if (currentEvent != nullptr) {
      playEvent(*currentEvent);
      cursor.nextEvent += 1;
    }
    framesLeft -= chunkFrames;
  } while (framesLeft > 0);
}
