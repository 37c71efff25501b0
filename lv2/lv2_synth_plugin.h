// The instrument as an LV2 plug-in: the engine played by a MIDI port and set
// by eight control ports, rendering into two audio ports.
//
// Threads. The host builds, activates, deactivates and destroys the object
// from its instantiation thread and calls run from its audio thread, never
// both at once; the ports are read in run alone. So nothing here is shared
// between threads, and run allocates nothing, takes no lock, makes no system
// call and throws nothing.
//
// The sound follows the control ports from the block in which a value
// arrives: run compares each with the value it last applied, bit for bit,
// and calls the engine's set* operations for a group that changed, in the
// order a VST 2 program change applies them. For the same values and the
// same MIDI at the same frames it renders the VST 2 build's very bits.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>

#include "engine/midi_event.h"
#include "engine/parameters.h"
#include "engine/render_cursor.h"
#include "engine/synth_engine.h"

class Lv2SynthPlugin {
 public:
  /// An instrument for the host's sample rate; `midiEventType` is the URID of
  /// midi:MidiEvent in the host's map.
  Lv2SynthPlugin(double sampleRate, LV2_URID midiEventType);

  /// The host connects a port to its buffer (or to null: the port is not used).
  void connect(uint32_t port, void* data);
  /// Starts afresh: no voice sounds and no controller is remembered; the
  /// control ports' values are applied again at the next run.
  void activate();
  /// Renders `frames` samples, playing the MIDI events at their frames.
  void run(uint32_t frames);

 private:
  void followControls();
  void renderUntil(int64_t frame);

  float sampleRate;
  LV2_URID midiEvent;
  // Rebuilt in place by activate: a fresh engine is exactly the state a new
  // VST 2 instance starts from.
  std::optional<SynthEngine> engine;

  const LV2_Atom_Sequence* midiIn = nullptr;
  float* left = nullptr;
  float* right = nullptr;
  const float* controls[kParameterCount] = {};
  // What the engine was last given, and whether it was given anything since activate.
  float applied[kParameterCount];
  bool appliedSinceActivate = false;

  // Within one run: the frames rendered so far.
  int64_t rendered = 0;
  RenderCursor noEvents;
};
