// The sound engine: eight voices, the output stage, the block renderer that
// plays MIDI events at their exact frames, and the operations that carry
// parameter values into the voices. It knows nothing of the host; the
// instrument copies the host's events and calls render once per block.
//
// render runs on the audio thread: it allocates nothing, takes no lock,
// makes no system call and throws nothing. Between events it ticks the voices
// in runs of up to kRunFrames samples, all eight together as vector lanes
// (VoiceLanes, on the widest vector path the processor has), reading their
// settings once per run.
//
// The set* operations may be called from another thread while a block
// renders: the values they write are atomic (Relaxed, relaxed.h), so there is
// no data race and no value is ever seen half written. A change made during a
// run is heard from the next run on, one value at a time (a run may see part
// of a group already changed); made between blocks, as the tests and most
// hosts do, it is heard from the block's first sample.
//
// Whatever values arrive, no NaN or infinity reaches the output buffers.
#pragma once

#include <cstdint>

#include "engine/midi_event.h"
#include "engine/mix_down.h"
#include "engine/output_stage.h"
#include "engine/render_cursor.h"
#include "engine/vector_path.h"
#include "engine/vibrato_sine.h"
#include "engine/voice.h"
#include "engine/voice_lanes.h"

class SynthEngine {
 public:
  static constexpr int kVoiceCount = ::kVoiceCount;

  // Voices at 44100 Hz with the triangle selected, filter coefficients 0.999
  // and 0.999; output stage at volume 127, pan 64. The voices run on the
  // widest vector path the processor has, or on `path`, which it must support
  // (all paths render the same bits).
  SynthEngine();
  explicit SynthEngine(VectorPath path);

  // Sets every voice's rate. Envelope lengths are not recomputed: they follow
  // the new rate at the next setEnvelope. A rate that cannot be meant (zero,
  // negative, subnormal, infinite, NaN) is ignored.
  void setSampleRate(float rate);

  // The parameter values, nominally 0..1, are not clamped. A value that is not
  // a finite number is taken as 0 by setFilter and setEnvelope; setWaveform
  // needs no such rule.

  // Below 0.33 square, up to 0.66 sawtooth, above triangle (compared in double
  // precision). The newly selected oscillators are not started: a sounding
  // voice plays on at the period that oscillator last had.
  void setWaveform(float value);
  void setFilter(float cutoff, float damping);
  // Times in seconds, turned into samples at each voice's current rate.
  void setEnvelope(float attack, float peak, float decay, float sustain, float release);

  // Renders `frames` samples into left and right, playing
  // events[cursor.nextEvent .. eventCount) after exactly deltaFrames frames of
  // their list have been rendered, and advances the cursor. An event at or past
  // the block's end is played after its last sample, and later events wait for
  // the next call.
  void render(const MidiEvent* events, int32_t eventCount, RenderCursor& cursor, float* left,
              float* right, int32_t frames);
  // Plays one event now, exactly as render plays it when its frame comes: for
  // a front that renders the frames before each event itself (render with no
  // events, then play).
  void play(const MidiEvent& event);

  const Voice& voice(int index) const { return voices[index]; }
  const OutputStage& output() const { return outputStage; }

 private:
  void renderFrames(float* left, float* right, int32_t frames);
  int32_t tickVoices(int32_t frames, const MixTarget& mix);
  bool allVoicesFree() const;

  void dispatch(const MidiEvent& event);
  void noteOn(int note, int velocityByte);
  void noteOff(int note);
  void controlChange(int controller, int value);
  void pitchBend(int value);

  Voice voices[kVoiceCount];
  OutputStage outputStage;
  VoiceLanes lanes;

  // Working space of renderFrames: the voices are ticked in runs of at most
  // kRunFrames samples (5.8 ms at 44.1 kHz), their outputs kept here while
  // they are mixed.
  static constexpr int32_t kRunFrames = 256;
  VibratoSine vibratoSine;
  double phaseSteps[kRunFrames];
  float voiceOutputs[kRunFrames][kVoiceCount];
};
