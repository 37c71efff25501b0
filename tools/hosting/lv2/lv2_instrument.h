// One instance of an LV2 instrument, driven as an offline host drives it.
//
// An LV2 plug-in is made for one sample rate and told its largest block when
// it is made, so a change of either makes a new instance, which takes over
// the old one's state. Every port gets a buffer of its own: the song's MIDI
// goes to the MIDI input, audio and CV inputs hear silence, control inputs
// start at their defaults, outputs of every kind write where no one listens
// but the WAV file takes the audio outputs.
//
// Instantiation, activation, state and destruction hold the interface
// thread; sendEvents and process are the audio calls and do not. A UI on the
// interface thread reaches the control ports only through a queue the audio
// thread empties before each run, and sees them through values the audio
// thread publishes after each run (atomics, so the two never race), as a
// live host must; the other interface calls are made while nothing runs.
// Played live (prepareForLive), the work a plug-in schedules is done on a
// worker thread of its own while it is active, never on the audio thread.
// The instance is made when the timing is first known, not before.
#pragma once

#include <lilv/lilv.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/instrument.h"
#include "tools/hosting/lv2/control_queue.h"
#include "tools/hosting/lv2/lv2_host_features.h"
#include "tools/hosting/lv2/lv2_plugin.h"
#include "tools/hosting/lv2/midi_sequence.h"

class Lv2Instrument : public Instrument {
 public:
  explicit Lv2Instrument(const Lv2Plugin& plugin);
  ~Lv2Instrument() override;
  Lv2Instrument(const Lv2Instrument&) = delete;
  Lv2Instrument& operator=(const Lv2Instrument&) = delete;

  void setTiming(int32_t sampleRate, int32_t blockSize) override;
  void configure(const SessionSettings& settings) override;
  int outputCount() const override { return static_cast<int>(outputs_.size()); }
  void start() override;
  void stop() override;
  void prepareForLive(int32_t capacity) override;
  void sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) override;
  void process(int32_t frames) override;
  float* const* outputs() override { return outputs_.data(); }
  InstrumentDescription describe(bool withProgramValues) override;
  std::vector<std::pair<std::string, double>> parameterValues() override;
  std::unique_ptr<SavedState> saveState(const std::string& path) override;
  std::optional<std::pair<int, int>> editorSize() override;
  std::unique_ptr<InstrumentEditor> openEditor(HostWindow& window) override;

  const Lv2Plugin& plugin() const { return plugin_; }
  LilvInstance* lilvInstance() const { return instance_; }
  // A control port's value as the last run left it (inputs and outputs
  // alike); ports of other kinds read 0. Any thread.
  float published(uint32_t index) const { return published_[index].load(std::memory_order_relaxed); }
  // A control input's new value from the interface thread, taken at the next
  // run; writes to other ports are ignored.
  void requestControl(uint32_t index, float value);
  // lilv's callbacks that save and restore the control inputs by symbol.
  static const void* portValue(const char* symbol, void* instrument, uint32_t* size, uint32_t* type);
  static void setPortValue(const char* symbol, void* instrument, const void* value, uint32_t size, uint32_t type);

 private:
  // Makes the instance for the timing, anew when it differs; the caller
  // holds the interface thread.
  void instantiate(const Lv2Timing& timing);
  void applyRequests();
  void publish();
  void restore(const LilvState* state);
  void connectPorts();
  const Lv2Port* controlInput(const std::string& key) const;

  const Lv2Plugin& plugin_;
  Lv2Timing timing_;
  std::unique_ptr<Lv2HostFeatures> features_;
  LilvInstance* instance_ = nullptr;
  bool active_ = false;
  // Played live: the worker does its work on a thread of its own while active.
  bool live_ = false;
  std::vector<float> controls_;                // by port index
  std::vector<std::atomic<float>> published_;  // by port index
  ControlQueue requests_;
  std::vector<std::vector<float>> audio_;      // by port index: audio and CV ports' blocks
  std::vector<std::vector<uint64_t>> atoms_;   // by port index: atom ports' buffers but the MIDI input's
  MidiSequence midi_;
  uint32_t midiPort_ = 0;
  std::vector<float*> outputs_;  // the audio outputs' blocks, in port order
  uint32_t chunkType_;
};
