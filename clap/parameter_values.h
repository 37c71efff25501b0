// The eight parameter values as the host sees them, and the two ways a value
// reaches the audio thread from the main thread: a knob the editor released
// (heard from the next block, and reported to the host as a gesture) and a
// whole new set (a state or a factory sound loaded). Every field is atomic:
// the main thread, the audio thread and the host's get_value may meet here.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/parameters.h"
#include "engine/relaxed.h"

using ParameterSet = float[kParameterCount];

class ParameterValues {
 public:
  /// The default program's values.
  ParameterValues();

  float get(int parameter) const { return values[parameter]; }
  /// Stores a value the audio thread has applied (a host's event, a knob's release).
  void set(int parameter, float value) { values[parameter] = value; }
  void getAll(ParameterSet& out) const;

  /// Main thread: a whole set replaces the values at once; the audio thread
  /// applies it at its next block (takeReplacement).
  void replaceAll(const ParameterSet& replacement);
  /// Audio thread: whether a whole set arrived since the last call.
  bool takeReplacement() { return replaced.exchange(false, std::memory_order_acquire); }

  /// Main thread: a released knob's value, for the audio thread to apply and
  /// report; a later release of the same knob before then replaces it.
  void proposeFromEditor(int parameter, float value);
  bool proposalPending(int parameter) const {
    return (proposed.load(std::memory_order_acquire) & (1u << parameter)) != 0;
  }
  /// Audio thread: the parameters proposed since the last call, bit p for
  /// parameter p, and their values in proposal().
  uint32_t takeProposals() { return proposed.exchange(0, std::memory_order_acquire); }
  float proposal(int parameter) const { return proposals[parameter]; }

 private:
  Relaxed<float> values[kParameterCount];
  Relaxed<float> proposals[kParameterCount];
  std::atomic<uint32_t> proposed{0};
  std::atomic<bool> replaced{false};
};
