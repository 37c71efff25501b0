// The instrument as a CLAP plug-in: the engine played by the host's note and
// MIDI events and set by its parameter events, each at its frame: process
// renders up to an event, plays or applies it, and goes on. For the same
// values and the same notes at the same frames, however the host cuts its
// blocks, it renders the VST 2 build's very bits.
//
// Threads. The host's main thread creates, activates, deactivates and
// destroys the plug-in, saves and loads its state, loads factory sounds and
// runs the editor (gui calls, timer, knob releases). Its audio thread calls
// process, and flush while the plug-in is active (the main thread calls flush
// while it is not); never two of these at once, and never while activate or
// deactivate runs. So the engine and the voices' notes belong to whichever
// thread processes, and only values cross between the threads, all through
// ParameterValues, whose every field is atomic:
// - a value the host sends in process or flush is applied at its frame and
//   stored, and the editor's timer turns the knob to it;
// - a knob the user releases is proposed there by the main thread, which
//   asks for a flush; the next process or flush applies it from its first
//   frame and tells the host (a gesture: begin, value, end);
// - a state or factory sound loaded replaces all eight values at once on the
//   main thread, which tells the host (a rescan of the values) and asks for a
//   flush; the next process or flush applies them, activate anyway.
// process allocates nothing, takes no lock, makes no system call and throws
// nothing. ThreadSanitizer checks the crossing with both threads at work
// (tests/clap/clap_threads_test.cpp, scripts/test.sh tsan).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "clap/event_output.h"
#include "clap/host_services.h"
#include "clap/interface/clap_abi.h"
#include "clap/parameter_values.h"
#include "clap/voice_notes.h"
#include "engine/render_cursor.h"
#include "engine/synth_engine.h"

class ClapSynthEditor;

class ClapSynthPlugin {
 public:
  /// An instance for `host`, reached through a copy of `calls` whose
  /// plugin_data is this object.
  ClapSynthPlugin(const clap_host_t* host, const clap_plugin_t& calls);
  ~ClapSynthPlugin();
  ClapSynthPlugin(const ClapSynthPlugin&) = delete;
  ClapSynthPlugin& operator=(const ClapSynthPlugin&) = delete;

  const clap_plugin_t* record() const { return &calls; }
  static ClapSynthPlugin* of(const clap_plugin_t* plugin) { return static_cast<ClapSynthPlugin*>(plugin->plugin_data); }
  const HostServices& hostServices() const { return host; }

  bool init();
  /// A fresh engine at the host's rate, with the values applied; false for a
  /// rate that cannot be meant.
  bool activate(double sampleRate);
  /// Silence at once: every voice free, the controllers forgotten.
  void reset();
  clap_process_status process(const clap_process_t& block);

  float value(int parameter) const { return values.get(parameter); }
  /// The host's parameter events without audio, and the editor's proposals.
  void flush(const clap_input_events_t* in, const clap_output_events_t* out);

  bool saveState(const clap_ostream_t& stream) const;
  /// Takes a whole sound state, or refuses it and changes nothing.
  bool loadState(const clap_istream_t& stream);
  /// The factory sound whose load key (its slug) is `key`.
  bool loadFactorySound(const char* key);

  /// The editor, between the host's gui create and destroy (main thread).
  bool createEditor();
  void destroyEditor();
  ClapSynthEditor* editor() const { return editorPanel.get(); }

 private:
  void takeMainThreadChanges(const EventOutput& out);
  void play(const clap_event_header_t& event, const EventOutput& out);
  void applyParameter(int parameter, float value);
  void applyGroupOf(int parameter);
  void applyAll();
  void replaceValues(const ParameterSet& replacement);
  void renderUntil(uint32_t frame);

  clap_plugin_t calls;
  HostServices host;
  ParameterValues values;
  float sampleRate = 44100.0f;
  // Rebuilt in place by activate and reset: a fresh engine is exactly the
  // state a new VST 2 instance starts from.
  std::optional<SynthEngine> engine;
  VoiceNotes notes;
  std::unique_ptr<ClapSynthEditor> editorPanel;

  // Within one process call: the output and the frames rendered so far.
  float* left = nullptr;
  float* right = nullptr;
  uint32_t rendered = 0;
  RenderCursor noEvents;
};
