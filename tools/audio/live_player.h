// An instrument played live as a JACK client: MIDI in, audio out, a period at
// a time, on the server's clock.
//
// Threads. The server calls the process callback on its audio thread once a
// period; every other call here is made on the main thread, which also
// idles the editor. What they share:
//  - the instrument: the audio thread hands it events and has it render
//    while the render gate is open; the main thread suspends it, changes its
//    timing and resumes it, or stops it, only with the gate closed (closing
//    waits for the period under way, see render_gate.h);
//  - the counters (xruns, dropped events, held notes) and the flags the
//    server's other callbacks raise (timing changed, new ports, server
//    gone): atomics, written on one side and read on the other;
//  - the ending: the main thread asks for it, the audio thread sends the
//    note-offs, renders one more period and says it is done.
// The audio thread allocates nothing, takes no lock, prints nothing: its
// memory is all taken before the client is activated.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/audio/event_splitter.h"
#include "tools/audio/held_notes.h"
#include "tools/audio/jack_client.h"
#include "tools/audio/render_gate.h"
#include "tools/hosting/instrument.h"

class LivePlayer {
 public:
  // The most events handed to the instrument in one period; more are dropped
  // and counted.
  static constexpr int32_t kEventsPerPeriod = 512;

  // Registers the ports ("midi_in", and "out_left" and "out_right", or "out"
  // for an instrument with one output), starts the instrument (configured
  // for the server's rate and period) and has it render a block with every
  // event place used, so that neither side needs memory later on the audio
  // thread; then activates the client. MIDI is taken from `channel` only
  // (0 to 15), or from every channel with kAnyChannel.
  LivePlayer(JackClient& client, Instrument& instrument, int channel);
  ~LivePlayer();  // closes the client and stops the instrument, if finish() did not
  LivePlayer(const LivePlayer&) = delete;
  LivePlayer& operator=(const LivePlayer&) = delete;

  jack_port_t* midiInput() const { return midiInput_; }
  const std::vector<jack_port_t*>& outputs() const { return outputs_; }
  int32_t sampleRate() const { return sampleRate_; }
  int32_t periodFrames() const { return blockSize_; }

  // When the server has changed its rate or period: suspends the
  // instrument, sets the new values and resumes it, the outputs silent
  // meanwhile. True when it did.
  bool followServerTiming();
  // True once after ports have appeared on the server.
  bool takeNewPorts() { return newPorts_.exchange(false); }
  bool serverGone() const { return serverGone_.load(); }
  uint64_t xruns() const { return xruns_.load(std::memory_order_relaxed); }
  uint64_t droppedEvents() const { return events_.dropped(); }
  int heldNotes() const { return heldNotes_.count(); }

  // Ends playing: all-notes-off and a note-off for each held note, one more
  // period rendered, then the client closed and the instrument stopped. Only
  // the last two when the server has gone.
  void finish();

 private:
  enum Ending : int { kPlaying, kEndAsked, kReleasing, kEnded };

  // The server's callbacks, set before the client is activated.
  void listen();
  void startInstrument();
  int process(int32_t frames);
  void takeMidi(void* buffer, int32_t periodFrames, bool onTime);
  void render(float* const* outputs, int32_t frames);
  void stopPlaying();

  JackClient& client_;
  Instrument& instrument_;
  int channel_;
  jack_port_t* midiInput_ = nullptr;
  std::vector<jack_port_t*> outputs_;
  int32_t sampleRate_ = 0;  // main thread only
  int32_t blockSize_ = 0;   // written with the gate closed
  RenderGate gate_;
  EventSplitter events_{kEventsPerPeriod};
  HeldNotes heldNotes_;
  std::atomic<int> ending_{kPlaying};
  std::atomic<bool> timingChanged_{false};
  std::atomic<bool> newPorts_{false};
  std::atomic<bool> serverGone_{false};
  std::atomic<uint64_t> xruns_{0};
  bool stopped_ = false;
};
