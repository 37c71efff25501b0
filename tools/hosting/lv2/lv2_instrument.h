// One instance of an LV2 instrument, driven as an offline host drives it.
//
// An LV2 plug-in is made for one sample rate and told its largest block when
// it is made, so a change of either makes a new instance, which takes over
// the old one's state (and an open editor, opened anew on it); the old one
// stays until the new one has started, so a plug-in that refuses leaves the
// instrument as it was. Played live, the largest block is the host's
// largest, whatever the server's period, so only a new rate makes a new
// instance. Every port gets a buffer of its own: the song's MIDI goes to the
// MIDI input, audio and CV inputs hear silence, control inputs start at
// their defaults, outputs of every kind write where no one listens but the
// WAV file takes the audio outputs. Every atom port's buffer has the one
// size the plug-in is told as the sequence size.
//
// Instantiation, activation, state and destruction hold the interface
// thread; sendEvents and process are the audio calls and do not. A UI on the
// interface thread reaches the control inputs only through requests the
// audio thread takes before each run (control_requests.h), and sees the
// controls through values the audio thread publishes (atomics, so the two
// never race), as a live host must. parameterValues and saveState read those
// too, never what the audio thread holds, so they may be asked while it
// renders; the other interface calls are made while nothing runs.
// Played live (prepareForLive), the work a plug-in schedules is done on a
// worker thread of its own while it is active, never on the audio thread,
// and what it logs while it renders waits for the main thread (lv2_log.h).
// The instance is made when the timing is first known, not before.
#pragma once

#include <lilv/lilv.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/hosting/instrument.h"
#include "tools/hosting/lv2/control_requests.h"
#include "tools/hosting/lv2/lv2_host_features.h"
#include "tools/hosting/lv2/lv2_log.h"
#include "tools/hosting/lv2/lv2_plugin.h"
#include "tools/hosting/lv2/midi_sequence.h"

class Lv2Editor;

class Lv2Instrument : public Instrument {
 public:
  explicit Lv2Instrument(const Lv2Plugin& plugin);
  ~Lv2Instrument() override;
  Lv2Instrument(const Lv2Instrument&) = delete;
  Lv2Instrument& operator=(const Lv2Instrument&) = delete;

  void setTiming(int32_t sampleRate, int32_t blockSize) override;
  void changeSampleRate(int32_t sampleRate) override;
  void configure(const SessionSettings& settings) override;
  int outputCount() const override { return static_cast<int>(outputs_.size()); }
  void start() override;
  void stop() override;
  void prepareForLive() override;
  void sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) override;
  void process(int32_t frames) override;
  float* const* outputs() override { return outputs_.data(); }
  // Prints what the plug-in logged while it rendered.
  void serveMainThread() override { log_.printQueued(); }
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
  // The value requestControl asked for that no run has taken yet, if any.
  std::optional<float> waitingRequest(uint32_t index) const { return requests_.waiting(index); }
  // The editor open on the instance, told when the instance is made anew; none when null.
  void setEditor(Lv2Editor* editor) { editor_ = editor; }
  // lilv's callbacks that save and restore the control inputs by symbol.
  static const void* portValue(const char* symbol, void* instrument, uint32_t* size, uint32_t* type);
  static void setPortValue(const char* symbol, void* instrument, const void* value, uint32_t size, uint32_t type);

 private:
  // Makes the instance for the timing, anew when it differs; the caller
  // holds the interface thread. Throws ToolError (kExitBadModule), the
  // instrument unchanged, when the plug-in makes none.
  void instantiate(const Lv2Timing& timing);
  // Buffers for the timing's block and sequence sizes, each port connected to its own.
  void connectPorts(const Lv2Timing& timing);
  // The size of every atom buffer when one block brings at most `mostEvents` MIDI events.
  int32_t sequenceBytes(int32_t mostEvents) const;
  void publish();
  void restore(const LilvState* state);
  const Lv2Port* controlInput(const std::string& key) const;
  // A control input's value as the sound has it, or will at the next run.
  float currentValue(uint32_t index) const { return waitingRequest(index).value_or(published(index)); }

  const Lv2Plugin& plugin_;
  Lv2Log log_;
  Lv2Timing timing_;
  std::unique_ptr<Lv2HostFeatures> features_;
  LilvInstance* instance_ = nullptr;
  bool active_ = false;
  // Played live: the worker does its work on a thread of its own while active.
  bool live_ = false;
  Lv2Editor* editor_ = nullptr;
  std::vector<float> controls_;                // by port index: the audio thread's
  std::vector<std::atomic<float>> published_;  // by port index
  std::vector<float> savedValues_;             // by port index: what portValue hands lilv
  ControlRequests requests_;
  std::vector<std::vector<float>> audio_;      // by port index: audio and CV ports' blocks
  std::vector<std::vector<uint64_t>> atoms_;   // by port index: atom ports' buffers but the MIDI input's
  MidiSequence midi_;
  uint32_t midiPort_ = 0;
  std::vector<float*> outputs_;  // the audio outputs' blocks, in port order
  uint32_t chunkType_;
};
