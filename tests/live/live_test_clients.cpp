// The other end of `quorlin-host play` in the live tests, two JACK clients.
// "player" plays a MIDI file's events at their frames from a port flagged
// physical, as a keyboard's is.
// "recorder" records INSTRUMENT:out_left and out_right from the cycle the
// song starts in, frame for frame, into a WAV file as render writes one.
//   live_test_clients INSTRUMENT SONG.mid OUT.wav TAIL [--at FRAMES COMMAND]... [--stop PID]
// It records the song and TAIL frames more; --at runs the shell command
// COMMAND (a new period for the server, say) once FRAMES frames are
// recorded; --stop sends PID a SIGINT once the song is played and records
// until INSTRUMENT's outputs go, then says how long it heard sound after.
// Exit status 3 says that the server left one of the clients out of a cycle
// (a server that does not wait for late clients, on a busy machine), so that
// the recording is not one to compare.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/files/midi_file.h"
#include "tools/files/midi_schedule.h"
#include "tools/files/wav_writer.h"

namespace {

// Whether the server ran a client in every cycle: at an unchanged period, each
// cycle starts where the last one ended. (A new period may move the clock.)
struct CycleWatch {
  int64_t lastTime = -1;
  jack_nframes_t lastFrames = 0;
  std::atomic<int> skipped{0};

  void follow(jack_client_t* client, jack_nframes_t frames) {
    const jack_nframes_t time = jack_last_frame_time(client);
    if (lastTime >= 0 && frames == lastFrames && time - static_cast<jack_nframes_t>(lastTime) != frames) ++skipped;
    lastTime = time;
    lastFrames = frames;
  }
};

struct Session {
  jack_client_t* clients[2] = {};  // player, recorder
  jack_port_t* midiOut = nullptr;
  jack_port_t* inputs[2] = {};
  std::vector<ScheduledEvent> song;
  size_t nextEvent = 0;
  std::atomic<bool> armed{false};
  std::atomic<int64_t> start{-1};  // the server's frame the song starts on
  // Frames since the song started, at the start of each client's cycle,
  // counted by the client: jackd's frame time jumps when the period changes.
  int64_t playerPosition = 0;
  int64_t recorderPosition = -1;  // until the recorder's first cycle of the song
  std::vector<float> recording[2];
  std::atomic<int64_t> recorded{0};
  bool untilGone = false;
  std::atomic<bool> gone{false};
  CycleWatch cycles[2];  // player, recorder
};

int playSong(jack_nframes_t frames, void* arg) {
  Session& session = *static_cast<Session*>(arg);
  void* buffer = jack_port_get_buffer(session.midiOut, frames);
  jack_midi_clear_buffer(buffer);
  if (!session.armed) return 0;
  if (session.start < 0) session.start = jack_last_frame_time(session.clients[0]);
  session.cycles[0].follow(session.clients[0], frames);
  const int64_t position = session.playerPosition;
  for (; session.nextEvent < session.song.size(); ++session.nextEvent) {
    const ScheduledEvent& event = session.song[session.nextEvent];
    if (event.frame >= position + frames) break;
    jack_midi_event_write(buffer, static_cast<jack_nframes_t>(event.frame - position), event.bytes, event.size);
  }
  session.playerPosition += frames;
  return 0;
}

int record(jack_nframes_t frames, void* arg) {
  Session& session = *static_cast<Session*>(arg);
  if (session.start < 0 || session.gone) return 0;
  if (session.untilGone && jack_port_connected(session.inputs[0]) == 0) {
    session.gone = true;
    return 0;
  }
  if (session.recorderPosition < 0) {
    session.recorderPosition = static_cast<int32_t>(jack_last_frame_time(session.clients[1]) -
                                                    static_cast<jack_nframes_t>(session.start.load()));
  }
  const int64_t position = session.recorderPosition;
  session.recorderPosition += frames;
  session.cycles[1].follow(session.clients[1], frames);
  const int64_t length = static_cast<int64_t>(session.recording[0].size());
  for (int channel = 0; channel < 2; ++channel) {
    const auto* input = static_cast<const float*>(jack_port_get_buffer(session.inputs[channel], frames));
    for (int64_t i = std::max<int64_t>(0, -position); i < frames && position + i < length; ++i) {
      session.recording[channel][static_cast<size_t>(position + i)] = input[i];
    }
  }
  session.recorded = std::clamp<int64_t>(position + frames, 0, length);
  return 0;
}

constexpr int kSkippedCycles = 3;

template <typename Condition>
void waitFor(const char* what, Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error(std::string("timed out: ") + what);
  }
}

int run(int argc, char** argv) {
  if (argc < 5) throw std::runtime_error("usage: live_test_clients INSTRUMENT SONG.mid OUT.wav TAIL [options]");
  std::vector<std::pair<int64_t, std::string>> commands;  // in the order they come
  pid_t stopPid = 0;
  for (int i = 5; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--at" && i + 2 < argc) {
      commands.emplace_back(std::stol(argv[i + 1]), argv[i + 2]);
      i += 2;
    } else if (option == "--stop" && i + 1 < argc) {
      stopPid = static_cast<pid_t>(std::stol(argv[++i]));
    } else {
      throw std::runtime_error("unknown option " + option);
    }
  }
  Session session;
  session.untilGone = stopPid != 0;
  const JackProcessCallback callbacks[2] = {playSong, record};
  const char* const names[2] = {"player", "recorder"};
  for (int i = 0; i < 2; ++i) {
    session.clients[i] = jack_client_open(names[i], JackNoStartServer, nullptr);
    if (session.clients[i] == nullptr) throw std::runtime_error("no JACK server");
    jack_set_process_callback(session.clients[i], callbacks[i], &session);
  }
  session.inputs[0] = jack_port_register(session.clients[1], "in_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  session.inputs[1] = jack_port_register(session.clients[1], "in_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  session.midiOut = jack_port_register(session.clients[0], "midi_out", JACK_DEFAULT_MIDI_TYPE,
                                       JackPortIsOutput | JackPortIsPhysical | JackPortIsTerminal, 0);
  const int32_t rate = static_cast<int32_t>(jack_get_sample_rate(session.clients[0]));
  const MidiSchedule schedule = scheduleMidiFile(readMidiFile(argv[2]), rate);
  session.song = schedule.events;
  for (auto& channel : session.recording) channel.resize(static_cast<size_t>(schedule.lastFrame + std::stol(argv[4])));
  for (jack_client_t* client : session.clients) jack_activate(client);

  const std::string outputs[2] = {std::string(argv[1]) + ":out_left", std::string(argv[1]) + ":out_right"};
  waitFor("the instrument's outputs", [&] { return jack_port_by_name(session.clients[1], outputs[1].c_str()); });
  for (int i = 0; i < 2; ++i) jack_connect(session.clients[1], outputs[i].c_str(), jack_port_name(session.inputs[i]));
  waitFor("the instrument to connect the player", [&] { return jack_port_connected(session.midiOut) > 0; });
  session.armed = true;
  int64_t stoppedAt = -1;
  waitFor("the recording", [&] {
    if (!commands.empty() && session.recorded >= commands.front().first) {
      if (std::system(commands.front().second.c_str()) != 0) throw std::runtime_error(commands.front().second);
      commands.erase(commands.begin());
    }
    if (stopPid != 0 && session.recorded > schedule.lastFrame) {
      kill(stopPid, SIGINT);
      stopPid = 0;
      stoppedAt = session.recorded;
    }
    return session.untilGone ? session.gone.load() : session.recorded >= int64_t(session.recording[0].size());
  });
  for (jack_client_t* client : session.clients) jack_client_close(client);

  const int64_t frames = session.recorded;
  const float* channels[2] = {session.recording[0].data(), session.recording[1].data()};
  WavWriter writer(argv[3], SampleFormat::Float32, 2, rate);
  writer.write(channels, static_cast<int32_t>(frames));
  writer.finish();
  int64_t silent = 0;
  while (silent < frames && channels[0][frames - silent - 1] == 0 && channels[1][frames - silent - 1] == 0) ++silent;
  std::printf("recorded %lld frames, peak %g, the last %lld silent", static_cast<long long>(frames),
              static_cast<double>(writer.peak()), static_cast<long long>(silent));
  if (stoppedAt >= 0) {
    std::printf(", sound until %lld frames after the stop", static_cast<long long>(frames - silent - stoppedAt));
  }
  std::printf("\n");
  const int skipped = session.cycles[0].skipped + session.cycles[1].skipped;
  if (skipped == 0) return 0;
  std::fprintf(stderr, "live_test_clients: the server skipped %d cycles of the test clients\n", skipped);
  return kSkippedCycles;
}

}  // namespace

int main(int argc, char** argv) try {
  return run(argc, argv);
} catch (const std::exception& error) {
  std::fprintf(stderr, "live_test_clients: %s\n", error.what());
  return 1;
}
