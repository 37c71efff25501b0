#include "tools/audio/live_player.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/denormal_guard.h"
#include "tools/files/midi_messages.h"

namespace {

// At most two outputs are played: the first two, or the only one.
constexpr int kMaxPlayedOutputs = 2;
// The longest tail after a stop, in seconds; the main thread waits a little
// longer for the audio thread to render it before it stops anyway.
constexpr int kLongestTailSeconds = 2;
constexpr std::chrono::milliseconds kLongestEnding(kLongestTailSeconds * 1000 + 500);
constexpr std::chrono::milliseconds kEndingPoll(2);

const char* const kAudioThreadName = "quorlin audio";

// Changes nothing in an instrument that plays no note 0 on channel 1.
ScheduledEvent silentNoteOff() { return channelMessage(kNoteOff, 0, 0); }

}  // namespace

SessionSettings LivePlayer::liveSettings(SessionSettings settings, const JackClient& client) {
  settings.sampleRate = client.sampleRate();
  settings.blockSize = kLargestBlock;
  settings.usualBlockSize = std::min(client.periodFrames(), kLargestBlock);
  settings.mostEvents = kEventsPerPeriod;
  return settings;
}

LivePlayer::LivePlayer(JackClient& client, Instrument& instrument, int channel)
    : client_(client), instrument_(instrument), channel_(channel) {
  sampleRate_ = client_.sampleRate();
  periodFrames_ = client_.periodFrames();
  midiInput_ = client_.registerPort("midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (instrument_.outputCount() == 1) {
    outputs_.push_back(client_.registerPort("out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput));
  } else {
    for (const char* name : {"out_left", "out_right"}) {
      outputs_.push_back(client_.registerPort(name, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput));
    }
  }

  listen();
  startInstrument();
  gate_.open();
  try {
    client_.activate();
  } catch (...) {
    stopPlaying();
    throw;
  }
}

void LivePlayer::listen() {
  const JackLibrary& jack = client_.library();
  jack_client_t* handle = client_.handle();
  const auto process = [](jack_nframes_t frames, void* self) {
    return static_cast<LivePlayer*>(self)->process(static_cast<int32_t>(frames));
  };
  jack.set_process_callback(handle, process, this);
  const auto timingChanged = [](jack_nframes_t, void* self) {
    static_cast<LivePlayer*>(self)->timingChanged_.store(true);
    return 0;
  };
  jack.set_buffer_size_callback(handle, timingChanged, this);
  jack.set_sample_rate_callback(handle, timingChanged, this);
  jack.set_xrun_callback(
      handle,
      [](void* self) {
        static_cast<LivePlayer*>(self)->xruns_.fetch_add(1, std::memory_order_relaxed);
        return 0;
      },
      this);
  // jackd calls the one, PipeWire's JACK library the other.
  jack.on_shutdown(handle, [](void* self) { static_cast<LivePlayer*>(self)->serverGone_.store(true); }, this);
  jack.on_info_shutdown(
      handle, [](jack_status_t, const char*, void* self) { static_cast<LivePlayer*>(self)->serverGone_.store(true); },
      this);
  jack.set_port_registration_callback(
      handle,
      [](jack_port_id_t, int registered, void* self) {
        if (registered != 0) static_cast<LivePlayer*>(self)->newPorts_.store(true);
      },
      this);
}

// Starts the instrument, then uses every event place once and renders its
// largest block: an instrument that sizes its buffers on first use does it
// here, not on the audio thread.
void LivePlayer::startInstrument() {
  instrument_.prepareForLive();
  instrument_.start();
  const std::vector<ScheduledEvent> events(kEventsPerPeriod, silentNoteOff());
  instrument_.sendEvents(events.data(), events.data() + events.size(), 0);
  instrument_.process(kLargestBlock);
}

LivePlayer::~LivePlayer() {
  if (!stopped_) stopPlaying();
}

int LivePlayer::process(int32_t frames) {
  const DenormalGuard flushDenormals;
  // Once, on its first period: a name costs one system call, and shows the
  // thread in `top -H`, debuggers and the tests' audit of it. (JACK's
  // thread-start callback runs on its other threads too.)
  thread_local bool named = false;
  if (!named) {
    pthread_setname_np(pthread_self(), kAudioThreadName);
    named = true;
  }
  const JackLibrary& jack = client_.library();
  float* outputs[kMaxPlayedOutputs] = {};
  for (size_t i = 0; i < outputs_.size(); ++i) {
    outputs[i] = static_cast<float*>(jack.port_get_buffer(outputs_[i], static_cast<jack_nframes_t>(frames)));
  }
  void* midi = jack.port_get_buffer(midiInput_, static_cast<jack_nframes_t>(frames));
  const int ending = ending_.load(std::memory_order_acquire);
  if (ending == kEnded || !gate_.enter()) {
    // What is played while the instrument is suspended waits for the next
    // period it renders, at its start: a key let go meanwhile still ends its note.
    if (ending == kPlaying) takeMidi(midi, frames, false);
    for (size_t i = 0; i < outputs_.size(); ++i) std::fill(outputs[i], outputs[i] + frames, 0.0f);
    return 0;
  }
  if (ending == kEndAsked) {
    events_.clear();
    heldNotes_.releaseAll(events_, frames);
  } else if (ending == kPlaying) {
    takeMidi(midi, frames, true);
  }
  render(outputs, frames);
  events_.clear();
  if (ending != kPlaying) followTail(outputs, frames);
  gate_.leave();
  return 0;
}

void LivePlayer::followTail(float* const* outputs, int32_t frames) {
  quietTail_.take(outputs, static_cast<int>(outputs_.size()), frames);
  tailFrames_ += frames;
  const bool over = quietTail_.complete() || tailFrames_ >= longestTail_;
  ending_.store(over ? kEnded : kReleasing, std::memory_order_release);
}

void LivePlayer::takeMidi(void* buffer, int32_t periodFrames, bool onTime) {
  const JackLibrary& jack = client_.library();
  const uint32_t count = jack.midi_get_event_count(buffer);
  for (uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t incoming;
    ScheduledEvent event;
    if (jack.midi_event_get(&incoming, buffer, i) != 0) continue;
    if (!readChannelMessage(incoming.buffer, incoming.size, channel_, event)) continue;
    event.frame = onTime ? incoming.time : 0;
    events_.add(event, periodFrames);
  }
}

void LivePlayer::render(float* const* outputs, int32_t frames) {
  events_.split(frames, kLargestBlock,
                [&](int32_t blockStart, int32_t blockFrames, const ScheduledEvent* first, const ScheduledEvent* last) {
                  if (first != last) instrument_.sendEvents(first, last, blockStart);
                  for (const ScheduledEvent* event = first; event != last; ++event) heldNotes_.follow(*event);
                  instrument_.process(blockFrames);
                  float* const* rendered = instrument_.outputs();
                  for (size_t i = 0; i < outputs_.size(); ++i) {
                    std::copy(rendered[i], rendered[i] + blockFrames, outputs[i] + blockStart);
                  }
                });
}

LivePlayer::ServerChange LivePlayer::followServer() {
  if (!timingChanged_.exchange(false) || serverGone()) return ServerChange::kNothing;
  const int32_t rate = client_.sampleRate();
  const int32_t period = client_.periodFrames();
  if (rate != sampleRate_) {
    gate_.close();
    instrument_.stop();
    instrument_.changeSampleRate(rate);
    instrument_.start();
    sampleRate_ = rate;
    periodFrames_ = period;
    gate_.open();
    return ServerChange::kRate;
  }
  if (period == periodFrames_) return ServerChange::kNothing;
  periodFrames_ = period;
  return ServerChange::kPeriod;
}

void LivePlayer::finish() {
  quietTail_ = QuietTail(sampleRate_);
  tailFrames_ = 0;
  longestTail_ = int64_t{kLongestTailSeconds} * sampleRate_;
  ending_.store(kEndAsked, std::memory_order_release);
  const auto deadline = std::chrono::steady_clock::now() + kLongestEnding;
  while (ending_.load(std::memory_order_acquire) != kEnded && !serverGone() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kEndingPoll);
  }
  stopPlaying();
}

void LivePlayer::stopPlaying() {
  stopped_ = true;
  gate_.close();
  if (serverGone()) client_.forgetServer();
  // Closed, not only deactivated: the server's callbacks point at this player.
  client_.close();
  instrument_.stop();
}
