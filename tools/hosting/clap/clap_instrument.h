// One instance of a CLAP plug-in, driven in the order CLAP asks of a host:
//
//   create_plugin -> init                            (constructor)
//   state load or preset load -> params flush         (configure)
//   activate(rate, 1, block) -> start_processing     (start)
//   process per block                                (sendEvents, process)
//   stop_processing                                  (stop)
//   deactivate -> destroy                            (destructor)
//
// Threads. Every call but the audio ones holds the interface thread and runs
// on the instance's main thread (thread_roles.h). sendEvents and process
// are the audio thread's; start and stop, which a host makes while nothing
// renders, start and stop processing as the audio thread. What the plug-in
// asks of the host meanwhile (clap_host.h) is done on the main thread in
// serveMainThread: at each idle of a live host or an open editor, and in an
// offline render right after each block, so that a render comes out the
// same however fast the machine. A restart asked for while a live host
// renders on a thread of its own is handed back and forth: the audio thread
// stops processing, the main thread deactivates and activates, the audio
// thread starts processing again; the blocks in between are silent.
//
// The instance is activated for the block size it is given and only
// activated again when the rate changes or a larger block is asked for: a
// shorter block fits. Parameters given on the command line reach the plug-in
// twice: through flush when it is configured (so that info, the editor and
// a saved state have them) and as parameter events at the start of the first
// block, before the first note.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/clap/clap_audio_buffers.h"
#include "tools/hosting/clap/clap_events.h"
#include "tools/hosting/clap/clap_host.h"
#include "tools/hosting/clap/clap_module.h"
#include "tools/hosting/clap/clap_parameters.h"
#include "tools/hosting/clap/clap_ports.h"
#include "tools/hosting/instrument.h"

// The plug-in's extension tables the host uses; each may be null.
struct ClapExtensions {
  const clap_plugin_audio_ports_t* audioPorts = nullptr;
  const clap_plugin_note_ports_t* notePorts = nullptr;
  const clap_plugin_params_t* params = nullptr;
  const clap_plugin_state_t* state = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
  const clap_plugin_timer_support_t* timerSupport = nullptr;
  const clap_plugin_posix_fd_support_t* posixFdSupport = nullptr;
  const clap_plugin_preset_load_t* presetLoad = nullptr;
};

class ClapInstrument : public Instrument {
 public:
  // Creates and initialises an instance. Throws ToolError (kExitBadModule)
  // when create_plugin answers null or init false, and for a plug-in that
  // cannot be played (checkPlayable).
  ClapInstrument(std::shared_ptr<ClapModule> module, const clap_plugin_descriptor_t& descriptor);
  ~ClapInstrument() override;
  ClapInstrument(const ClapInstrument&) = delete;
  ClapInstrument& operator=(const ClapInstrument&) = delete;

  void setTiming(int32_t sampleRate, int32_t blockSize) override;
  void configure(const SessionSettings& settings) override;
  int outputCount() const override { return static_cast<int>(ports_.outputChannels()); }
  void start() override;
  void stop() override;
  void prepareForLive(int32_t capacity) override;
  void sendEvents(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) override;
  void process(int32_t frames) override;
  float* const* outputs() override { return buffers_.outputChannels(); }
  void serveMainThread() override;
  InstrumentDescription describe(bool withProgramValues) override;
  std::vector<std::pair<std::string, double>> parameterValues() override;
  std::unique_ptr<SavedState> saveState(const std::string& path) override;
  std::optional<std::pair<int, int>> editorSize() override;
  std::unique_ptr<InstrumentEditor> openEditor(HostWindow& window) override;

  // For the description and the editor, on the main thread.
  const clap_plugin_t* plugin() const { return plugin_; }
  const clap_plugin_descriptor_t& descriptor() const { return descriptor_; }
  const ClapModule& module() const { return *module_; }
  const ClapExtensions& extensions() const { return extensions_; }
  const ClapPorts& ports() const { return ports_; }
  ClapHost& host() { return host_; }
  // The name messages give it: its file, and its id where the file holds several.
  const std::string& label() const { return label_; }

 private:
  enum AudioState : int { kRunning, kStopAsked, kStopped, kStartAsked, kFailed };

  void activate();
  void deactivate();
  void startProcessing();
  void stopProcessing();
  void restart();
  void takeParameters();
  bool audioReady();
  void loadPreset(const std::string& preset);

  std::shared_ptr<ClapModule> module_;
  const clap_plugin_descriptor_t& descriptor_;
  std::string label_;
  ClapHost host_;
  const clap_plugin_t* plugin_ = nullptr;
  ClapExtensions extensions_;
  ClapPorts ports_;
  NoteInput noteInput_;

  int32_t sampleRate_ = 44100;
  int32_t blockSize_ = 512;
  bool active_ = false;
  int32_t activeRate_ = 0;
  int32_t activeBlockSize_ = 0;
  bool processing_ = false;
  bool live_ = false;
  bool restartWanted_ = false;  // main thread
  std::atomic<int> audioState_{kRunning};
  std::atomic<bool> processFailed_{false};

  ClapAudioBuffers buffers_;
  int64_t steadyTime_ = 0;

  ClapInputEvents events_;
  std::vector<ClapParameterValue> parameters_;  // from the command line, for the first block
  bool parametersSent_ = true;
};
