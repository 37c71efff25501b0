// An instrument played live as a JACK client: MIDI in, audio out, a period at
// a time, on the server's clock.
//
// The instrument is made for the largest block the player ever hands it
// (kLargestBlock) and the server's rate. A period longer than that is
// rendered as several blocks, a shorter one fits, so a server that changes
// its period (PipeWire does whenever a program asks for less latency)
// changes nothing in the instrument: held notes go on sounding. Only a new
// sample rate is given to the instrument, between a stop and a start.
//
// Threads. The server calls the process callback on its audio thread once a
// period; every other call here is made on the main thread, which also
// idles the editor. What they share:
//  - the instrument: the audio thread hands it events and has it render
//    while the render gate is open; the main thread stops it, gives it a new
//    rate and starts it, or stops it for good, only with the gate closed
//    (closing waits for the period under way, see render_gate.h);
//  - the counters (xruns, dropped events, held notes) and the flags the
//    server's other callbacks raise (timing changed, new ports, server
//    gone): atomics, written on one side and read on the other;
//  - the ending: the main thread asks for it, the audio thread sends the
//    note-offs, renders on until the sound has died away (the quiet tail)
//    and says it is done.
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
#include "tools/hosting/quiet_tail.h"

class LivePlayer {
 public:
  // The most events handed to the instrument in one period; more are dropped
  // and counted.
  static constexpr int32_t kEventsPerPeriod = 512;
  // The longest block the instrument renders: twice PipeWire's largest
  // quantum by default, and beyond the periods anyone plays with.
  static constexpr int32_t kLargestBlock = 4096;

  // The settings the instrument is configured with to be played through
  // `client`: its rate, the largest block, the server's period as the usual
  // one, and room for a period's events.
  static SessionSettings liveSettings(SessionSettings settings, const JackClient& client);

  // Registers the ports ("midi_in", and "out_left" and "out_right", or "out"
  // for an instrument with one output), starts the instrument (configured
  // with liveSettings) and has it render its largest block with every event
  // place used, so that neither side needs memory later on the audio
  // thread; then activates the client. MIDI is taken from `channel` only
  // (0 to 15), or from every channel with kAnyChannel.
  LivePlayer(JackClient& client, Instrument& instrument, int channel);
  ~LivePlayer();  // closes the client and stops the instrument, if finish() did not
  LivePlayer(const LivePlayer&) = delete;
  LivePlayer& operator=(const LivePlayer&) = delete;

  jack_port_t* midiInput() const { return midiInput_; }
  const std::vector<jack_port_t*>& outputs() const { return outputs_; }
  int32_t sampleRate() const { return sampleRate_; }
  int32_t periodFrames() const { return periodFrames_; }

  // What the server changed since the last call: nothing, its period (which
  // needs nothing of the instrument), or its rate, which the instrument has
  // been given, the outputs silent meanwhile. Throws ToolError when the
  // instrument refuses the rate.
  enum class ServerChange { kNothing, kPeriod, kRate };
  ServerChange followServer();
  // True once after ports have appeared on the server.
  bool takeNewPorts() { return newPorts_.exchange(false); }
  bool serverGone() const { return serverGone_.load(); }
  uint64_t xruns() const { return xruns_.load(std::memory_order_relaxed); }
  uint64_t droppedEvents() const { return events_.dropped(); }
  int heldNotes() const { return heldNotes_.count(); }

  // Ends playing: all-notes-off and a note-off for each held note, then the
  // sound rendered until it has died away (quiet_tail.h), two seconds at
  // most, then the client closed and the instrument stopped. Only the last
  // two when the server has gone.
  void finish();

 private:
  enum Ending : int { kPlaying, kEndAsked, kReleasing, kEnded };

  // The server's callbacks, set before the client is activated.
  void listen();
  void startInstrument();
  int process(int32_t frames);
  void takeMidi(void* buffer, int32_t periodFrames, bool onTime);
  void render(float* const* outputs, int32_t frames);
  // While ending: follows the tail of this period, ending once it is quiet or long enough.
  void followTail(float* const* outputs, int32_t frames);
  void stopPlaying();

  JackClient& client_;
  Instrument& instrument_;
  int channel_;
  jack_port_t* midiInput_ = nullptr;
  std::vector<jack_port_t*> outputs_;
  int32_t sampleRate_ = 0;    // main thread only
  int32_t periodFrames_ = 0;  // main thread only
  RenderGate gate_;
  EventSplitter events_{kEventsPerPeriod};
  HeldNotes heldNotes_;
  std::atomic<int> ending_{kPlaying};
  // The audio thread's while ending, set up by the main thread before it asks.
  QuietTail quietTail_{44100};
  int64_t tailFrames_ = 0;
  int64_t longestTail_ = 0;
  std::atomic<bool> timingChanged_{false};
  std::atomic<bool> newPorts_{false};
  std::atomic<bool> serverGone_{false};
  std::atomic<uint64_t> xruns_{0};
  bool stopped_ = false;
};
