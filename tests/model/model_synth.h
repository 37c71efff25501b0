// A plain scalar model of the instrument's sound, written straight from its
// description and sharing nothing with the engine but the event and cursor
// types: one struct per voice, a switch instead of oscillator classes, the
// C library's sine and power on every sample, and the block loop step by
// step. It is the reference that the engine, however optimised, must match,
// and it doubles as the "straightforward engine" in the benchmarks.
//
// It models the engine's behaviour for valid input, including the engine's
// corrections of the plain reading (a note-on of velocity 0 is a note-off,
// the vibrato counter counts exactly past 2^24 ticks, events with a data
// byte of 128 or more are ignored, unusable sample rates are ignored). The
// engine's guards against non-finite parameter values are not modelled.
#pragma once

#include <cstdint>

#include "engine/midi_event.h"
#include "engine/render_cursor.h"

class ModelSynth {
 public:
  ModelSynth();

  void setSampleRate(float rate);
  void setWaveform(float value);
  void setFilter(float cutoff, float damping);
  void setEnvelope(float attack, float peak, float decay, float sustain, float release);
  void render(const MidiEvent* events, int32_t eventCount, RenderCursor& cursor, float* left,
              float* right, int32_t frames);

 private:
  enum Waveform { Square, Saw, Triangle };
  enum Stage { Idle, Attack, Decay, Sustain, Release };

  struct Voice {
    int note = 0;
    float period = 0.0f;
    float phase = 0.0f;
    float filterState1 = 0.0f;
    float filterState2 = 0.0f;
    float sampleRate = 44100.0f;
    float velocity = 0.0f;
    float pitchBend = 0.0f;
    double lfoCounter = 0.0;
    float modDepth = 0.0f;
    float cutoff = 0.0f;
    float damping = 0.0f;
    Waveform waveform = Triangle;
    // Oscillators: each keeps what its last start gave it (one cycle per
    // sample before any start).
    float squarePeriod = 1.0f, squareHalfPeriod = 0.5f;
    float sawPeriod = 1.0f, sawSlope = 2.0f;
    float trianglePeriod = 1.0f, triangleSlope = 4.0f, triangleQuarter = 0.25f,
          triangleThreeQuarters = 0.75f;
    // Envelope.
    Stage stage = Idle;
    float level = 0.0f;
    float attackStep = 0.0f, decayStep = 0.0f, releaseStep = 0.0f;
    float attackCount = 0.0f, decayCount = 0.0f, releaseCount = 0.0f;
    float attackLength = 0.0f, peakLevel = 0.0f, decayLength = 0.0f, sustainLevel = 0.0f,
          releaseLength = 0.0f;
  };

  static float oscillatorValue(const Voice& v);
  static float envelopeTick(Voice& v);
  static void envelopeRelease(Voice& v);
  static float voiceTick(Voice& v);
  void startNote(Voice& v, int note, int velocityByte);
  void noteOff(int note);
  void playEvent(const MidiEvent& event);
  void setPan(int value);

  double noteFrequency[128];
  Voice voices[8];
  float volumeGain = 1.0f;
  float leftPan = 1.0f;
  float rightPan = 1.0f;

  // The block loop's working values.
  int32_t framesLeft = 0;
  const MidiEvent* currentEvent = nullptr;
  int32_t chunkFrames = 0;
  int32_t chunkLeft = 0;
};
