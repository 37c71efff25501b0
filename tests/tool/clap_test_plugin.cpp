// A CLAP module of two small instruments written to watch a host at work:
// "org.quorlin.test.clap-notes", whose note input prefers CLAP's note events,
// and "org.quorlin.test.midi-notes", whose input takes MIDI only. Both play a
// sine for each held note on the left channel (identical in the two
// dialects, and the same on Linux and Windows: the sine is a polynomial) and
// mark each event they receive on the right channel at its frame:
//   CLAP note-on  1000000 + key * 1000 + velocity (0..127)
//   CLAP note-off 2000000 + key * 1000 + velocity
//   MIDI          4000000 + status * 16384 + data 1 * 128 + data 2
// A parameter "Gain" (id 7, 0 to 2) scales the sine; the state is its value;
// a preset provider declares "Quiet" (0.25) and "Loud" (2) inside the module.
// On Linux an X11 editor, once its timer has fired and its pipe has been
// read (so only when the host serves both), turns Gain to 1.5, asks for a
// flush and asks to be 200 by 120 pixels.
//
// Through the environment:
//   QUORLIN_CLAP_TEST_LOG=FILE      each call, one line, with the thread-check's
//                                   answer: "main", "audio" or "other"
//   QUORLIN_CLAP_TEST_REFUSE=STEP   fails one step: entry-init, factory,
//                                   plugins, create, init, activate, start,
//                                   process, state; or has no note input
//                                   (notes) or audio output (audio)
//   QUORLIN_CLAP_TEST_ASK=1         in its second block, asks for a main-thread
//                                   callback and a restart
//   QUORLIN_CLAP_TEST_MISBEHAVE=1   logs from process and calls a main-thread
//                                   host function there
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clap/interface/clap_abi.h"
#include "clap/interface/clap_abi_extensions.h"
#include "clap/interface/clap_abi_preset_discovery.h"

#ifndef _WIN32
#include <X11/Xlib.h>
#include <unistd.h>
#endif

namespace {

constexpr clap_id kGainId = 7;
constexpr int kVoices = 8;
constexpr char kStateMagic[4] = {'Q', 'T', 'S', '1'};

bool refuses(const char* step) {
  const char* refused = std::getenv("QUORLIN_CLAP_TEST_REFUSE");
  return refused != nullptr && std::strcmp(refused, step) == 0;
}

const char* logPath() {
  const char* path = std::getenv("QUORLIN_CLAP_TEST_LOG");
  return path != nullptr && *path != '\0' ? path : nullptr;
}

void logLine(const std::string& line) {
  const char* path = logPath();
  if (path == nullptr) return;
  if (std::FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

struct Voice {
  int key = -1;
  double phase = 0.0, step = 0.0, level = 0.0;
};

struct Synth {
  clap_plugin_t plugin;
  const clap_host_t* host;
  bool midiOnly;
  double rate = 44100.0;
  std::atomic<double> gain{1.0};
  Voice voices[kVoices];
  std::atomic<bool> guiChanged{false};
  int blocks = 0;
#ifndef _WIN32
  bool knobTurned = false;
  Display* display = nullptr;
  Window window = 0;
  int pipe[2] = {-1, -1};
  clap_id timer = CLAP_INVALID_ID;
#endif
};

Synth& synthOf(const clap_plugin_t* plugin) { return *static_cast<Synth*>(plugin->plugin_data); }

template <typename Table>
const Table* hostExtension(const Synth& synth, const char* id) {
  return static_cast<const Table*>(synth.host->get_extension(synth.host, id));
}

std::string role(const Synth& synth) {
  const auto* check = hostExtension<clap_host_thread_check_t>(synth, CLAP_EXT_THREAD_CHECK);
  if (check == nullptr) return "unchecked";
  const bool main = check->is_main_thread(synth.host), audio = check->is_audio_thread(synth.host);
  return main && audio ? "main+audio" : main ? "main" : audio ? "audio" : "other";
}

void logCall(const Synth& synth, const std::string& call) { logLine(call + " " + role(synth)); }

// A sine from a polynomial of the phase (0 to 1): the same numbers on every platform.
float sine(double phase) {
  const double x = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;  // triangle, -1 to 1
  return static_cast<float>(x * (1.5 - 0.5 * x * x));
}

// Twelve steps of the equal-tempered semitone from A 440, multiplied out.
double frequency(int key) {
  const double semitone = 1.0594630943592953;
  double hertz = 440.0;
  for (int k = 69; k < key; ++k) hertz *= semitone;
  for (int k = 69; k > key; --k) hertz /= semitone;
  return hertz;
}

void noteOn(Synth& synth, int key, double velocity) {
  for (Voice& voice : synth.voices) {
    if (voice.key >= 0) continue;
    voice = Voice{key, 0.0, frequency(key) / synth.rate, 0.25 * velocity};
    return;
  }
}

void noteOff(Synth& synth, int key) {
  for (Voice& voice : synth.voices) {
    if (voice.key == key) voice.key = -1;
  }
}

// Parameter values from the host; the editor's own change reported back to it.
void exchangeParameters(Synth& synth, const clap_input_events_t* in, const clap_output_events_t* out) {
  for (uint32_t i = 0; i < in->size(in); ++i) {
    const clap_event_header_t* event = in->get(in, i);
    if (event->type != CLAP_EVENT_PARAM_VALUE) continue;
    const auto& value = *reinterpret_cast<const clap_event_param_value_t*>(event);
    if (value.param_id == kGainId) synth.gain = value.value;
  }
  if (!synth.guiChanged.exchange(false)) return;
  synth.gain = 1.5;
  const clap_event_param_value_t change = {
      {sizeof change, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0}, kGainId, nullptr, -1, -1, -1, -1, 1.5};
  out->try_push(out, &change.header);
}

float mark(Synth& synth, const clap_event_header_t* event) {
  if (event->type == CLAP_EVENT_NOTE_ON || event->type == CLAP_EVENT_NOTE_OFF) {
    const auto& note = *reinterpret_cast<const clap_event_note_t*>(event);
    const bool on = event->type == CLAP_EVENT_NOTE_ON;
    if (on) noteOn(synth, note.key, note.velocity);
    if (!on) noteOff(synth, note.key);
    return static_cast<float>((on ? 1000000 : 2000000) + note.key * 1000 + static_cast<int>(note.velocity * 127.0 + 0.5));
  }
  if (event->type != CLAP_EVENT_MIDI) return 0.0f;
  const uint8_t* data = reinterpret_cast<const clap_event_midi_t*>(event)->data;
  const int kind = data[0] & 0xF0;
  if (kind == 0x90 && data[2] > 0) noteOn(synth, data[1], data[2] / 127.0);
  if (kind == 0x80 || (kind == 0x90 && data[2] == 0)) noteOff(synth, data[1]);
  return static_cast<float>(4000000 + data[0] * 16384 + data[1] * 128 + data[2]);
}

clap_process_status process(const clap_plugin_t* plugin, const clap_process_t* block) {
  Synth& synth = synthOf(plugin);
  // Without a log, nothing is allocated here: play's tests count allocations on its audio thread.
  if (logPath() != nullptr) logCall(synth, "process " + std::to_string(block->frames_count));
  const char* misbehave = std::getenv("QUORLIN_CLAP_TEST_MISBEHAVE");
  if (misbehave != nullptr && *misbehave != '\0') {
    hostExtension<clap_host_log_t>(synth, CLAP_EXT_LOG)->log(synth.host, CLAP_LOG_INFO, "hello from the audio thread");
    hostExtension<clap_host_params_t>(synth, CLAP_EXT_PARAMS)->rescan(synth.host, CLAP_PARAM_RESCAN_VALUES);
  }
  if (refuses("process")) return CLAP_PROCESS_ERROR;
  const char* ask = std::getenv("QUORLIN_CLAP_TEST_ASK");
  if (ask != nullptr && *ask != '\0' && ++synth.blocks == 2) {
    synth.host->request_callback(synth.host);
    synth.host->request_restart(synth.host);
  }
  exchangeParameters(synth, block->in_events, block->out_events);
  float* left = block->audio_outputs[0].data32[0];
  float* right = block->audio_outputs[0].data32[1];
  const uint32_t count = block->in_events->size(block->in_events);
  uint32_t next = 0;
  for (uint32_t frame = 0; frame < block->frames_count; ++frame) {
    right[frame] = 0.0f;
    for (; next < count && block->in_events->get(block->in_events, next)->time == frame; ++next) {
      right[frame] += mark(synth, block->in_events->get(block->in_events, next));
    }
    float sum = 0.0f;
    for (Voice& voice : synth.voices) {
      if (voice.key < 0) continue;
      sum += static_cast<float>(voice.level) * sine(voice.phase);
      voice.phase += voice.step;
      if (voice.phase >= 1.0) voice.phase -= 1.0;
    }
    left[frame] = sum * static_cast<float>(synth.gain.load());
  }
  return CLAP_PROCESS_CONTINUE;
}

// ---- Extensions -------------------------------------------------------------

const clap_plugin_audio_ports_t kAudioPorts = {
    [](const clap_plugin_t*, bool input) -> uint32_t { return input || refuses("audio") ? 0 : 1; },
    [](const clap_plugin_t*, uint32_t index, bool input, clap_audio_port_info_t* info) {
      if (input || index != 0) return false;
      *info = clap_audio_port_info_t{0, "out", CLAP_AUDIO_PORT_IS_MAIN, 2, CLAP_PORT_STEREO, CLAP_INVALID_ID};
      return true;
    }};

const clap_plugin_note_ports_t kNotePorts = {
    [](const clap_plugin_t*, bool input) -> uint32_t { return input && !refuses("notes") ? 1 : 0; },
    [](const clap_plugin_t* plugin, uint32_t index, bool input, clap_note_port_info_t* info) {
      if (!input || index != 0) return false;
      const bool midiOnly = synthOf(plugin).midiOnly;
      *info = clap_note_port_info_t{0, midiOnly ? CLAP_NOTE_DIALECT_MIDI : CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI,
                                    midiOnly ? CLAP_NOTE_DIALECT_MIDI : CLAP_NOTE_DIALECT_CLAP, "notes"};
      return true;
    }};

const clap_plugin_params_t kParams = {
    [](const clap_plugin_t*) -> uint32_t { return 1; },
    [](const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
      if (index != 0) return false;
      *info = clap_param_info_t{kGainId, CLAP_PARAM_IS_AUTOMATABLE, nullptr, "Gain", "Output", 0.0, 2.0, 1.0};
      return true;
    },
    [](const clap_plugin_t* plugin, clap_id id, double* value) {
      *value = synthOf(plugin).gain;
      return id == kGainId;
    },
    [](const clap_plugin_t*, clap_id id, double value, char* text, uint32_t size) {
      std::snprintf(text, size, "%.2f x", value);
      return id == kGainId;
    },
    [](const clap_plugin_t*, clap_id, const char*, double*) { return false; },
    [](const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out) {
      Synth& synth = synthOf(plugin);
      logCall(synth, "flush " + std::to_string(in->size(in)));
      exchangeParameters(synth, in, out);
    }};

const clap_plugin_state_t kState = {
    [](const clap_plugin_t* plugin, const clap_ostream_t* stream) {
      char bytes[sizeof kStateMagic + sizeof(double)];
      const double gain = synthOf(plugin).gain;
      std::memcpy(bytes, kStateMagic, sizeof kStateMagic);
      std::memcpy(bytes + sizeof kStateMagic, &gain, sizeof gain);
      return stream->write(stream, bytes, sizeof bytes) == static_cast<int64_t>(sizeof bytes);
    },
    [](const clap_plugin_t* plugin, const clap_istream_t* stream) {
      char bytes[sizeof kStateMagic + sizeof(double) + 1];
      if (refuses("state") || stream->read(stream, bytes, sizeof bytes) != static_cast<int64_t>(sizeof bytes - 1) ||
          std::memcmp(bytes, kStateMagic, sizeof kStateMagic) != 0) {
        return false;
      }
      double gain = 0.0;
      std::memcpy(&gain, bytes + sizeof kStateMagic, sizeof gain);
      synthOf(plugin).gain = gain;
      return true;
    }};

const clap_plugin_preset_load_t kPresetLoad = {
    [](const clap_plugin_t* plugin, uint32_t kind, const char*, const char* key) {
      Synth& synth = synthOf(plugin);
      const bool known = kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN && key != nullptr &&
                         (std::strcmp(key, "quiet") == 0 || std::strcmp(key, "loud") == 0);
      if (known) synth.gain = std::strcmp(key, "quiet") == 0 ? 0.25 : 2.0;
      return known;
    }};

#ifndef _WIN32
// The editor: a blue X11 window, whose timer writes to a pipe that the host
// polls; the byte read back turns Gain, as a user's knob would.
const clap_plugin_timer_support_t kTimerSupport = {[](const clap_plugin_t* plugin, clap_id) {
  const char byte = 1;
  if (write(synthOf(plugin).pipe[1], &byte, 1) != 1) logLine("pipe write failed");
}};

const clap_plugin_posix_fd_support_t kFdSupport = {[](const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t) {
  Synth& synth = synthOf(plugin);
  char byte = 0;
  if (read(fd, &byte, 1) != 1 || synth.knobTurned) return;
  synth.knobTurned = true;
  synth.guiChanged = true;
  hostExtension<clap_host_params_t>(synth, CLAP_EXT_PARAMS)->request_flush(synth.host);
  if (hostExtension<clap_host_gui_t>(synth, CLAP_EXT_GUI)->request_resize(synth.host, 200, 120)) {
    XResizeWindow(synth.display, synth.window, 200, 120);
    XFlush(synth.display);
  }
}};

const clap_plugin_gui_t kGui = {
    [](const clap_plugin_t*, const char* api, bool floating) { return !floating && std::strcmp(api, CLAP_WINDOW_API_X11) == 0; },
    [](const clap_plugin_t*, const char**, bool*) { return false; },
    [](const clap_plugin_t* plugin, const char*, bool) {
      Synth& synth = synthOf(plugin);
      logCall(synth, "gui create");
      synth.display = XOpenDisplay(nullptr);
      if (synth.display == nullptr || pipe(synth.pipe) != 0) return false;
      return hostExtension<clap_host_timer_support_t>(synth, CLAP_EXT_TIMER_SUPPORT)->register_timer(synth.host, 10, &synth.timer) &&
             hostExtension<clap_host_posix_fd_support_t>(synth, CLAP_EXT_POSIX_FD_SUPPORT)->register_fd(synth.host, synth.pipe[0], CLAP_POSIX_FD_READ);
    },
    [](const clap_plugin_t* plugin) {
      Synth& synth = synthOf(plugin);
      logCall(synth, "gui destroy");
      hostExtension<clap_host_timer_support_t>(synth, CLAP_EXT_TIMER_SUPPORT)->unregister_timer(synth.host, synth.timer);
      hostExtension<clap_host_posix_fd_support_t>(synth, CLAP_EXT_POSIX_FD_SUPPORT)->unregister_fd(synth.host, synth.pipe[0]);
      close(synth.pipe[0]);
      close(synth.pipe[1]);
      if (synth.window != 0) XDestroyWindow(synth.display, synth.window);
      XCloseDisplay(synth.display);
    },
    [](const clap_plugin_t*, double) { return false; },
    [](const clap_plugin_t*, uint32_t* width, uint32_t* height) {
      *width = 160;
      *height = 90;
      return true;
    },
    [](const clap_plugin_t*) { return false; },
    [](const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; },
    [](const clap_plugin_t*, uint32_t*, uint32_t*) { return false; },
    [](const clap_plugin_t*, uint32_t, uint32_t) { return false; },
    [](const clap_plugin_t* plugin, const clap_window_t* parent) {
      Synth& synth = synthOf(plugin);
      const int screen = DefaultScreen(synth.display);
      synth.window = XCreateSimpleWindow(synth.display, parent->x11, 0, 0, 160, 90, 0, BlackPixel(synth.display, screen), 0x3366CC);
      XMapWindow(synth.display, synth.window);
      XSync(synth.display, False);
      return true;
    },
    [](const clap_plugin_t*, const clap_window_t*) { return false; },
    [](const clap_plugin_t*, const char*) {},
    [](const clap_plugin_t*) { return true; },
    [](const clap_plugin_t*) { return true; }};
#endif

const void* pluginExtension(const clap_plugin_t*, const char* id) {
  const struct {
    const char* id;
    const void* table;
  } offered[] = {
      {CLAP_EXT_AUDIO_PORTS, &kAudioPorts}, {CLAP_EXT_NOTE_PORTS, &kNotePorts}, {CLAP_EXT_PARAMS, &kParams},
      {CLAP_EXT_STATE, &kState},           {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
#ifndef _WIN32
      {CLAP_EXT_GUI, &kGui},               {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport}, {CLAP_EXT_POSIX_FD_SUPPORT, &kFdSupport},
#endif
  };
  for (const auto& extension : offered) {
    if (std::strcmp(id, extension.id) == 0) return extension.table;
  }
  return nullptr;
}

// ---- Plug-ins, factories and entry ----------------------------------------

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER, nullptr};

const clap_plugin_descriptor_t kDescriptors[] = {
    {CLAP_VERSION, "org.quorlin.test.clap-notes", "Test Sine (CLAP notes)", "Quorlin tests", "", "", "", "1.0",
     "a sine for the host's tests", kFeatures},
    {CLAP_VERSION, "org.quorlin.test.midi-notes", "Test Sine (MIDI notes)", "Quorlin tests", "", "", "", "1.0",
     "a sine for the host's tests", kFeatures},
};

const clap_plugin_t* createPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
  const int which = std::strcmp(id, kDescriptors[0].id) == 0 ? 0 : std::strcmp(id, kDescriptors[1].id) == 0 ? 1 : -1;
  if (which < 0 || refuses("create")) return nullptr;
  logLine(std::string("create ") + id);
  Synth* synth = new Synth{};
  synth->host = host;
  synth->midiOnly = which == 1;
  synth->plugin = {&kDescriptors[which],
                   synth,
                   [](const clap_plugin_t* plugin) {
                     logCall(synthOf(plugin), "init");
                     return !refuses("init");
                   },
                   [](const clap_plugin_t* plugin) {
                     logCall(synthOf(plugin), "destroy");
                     delete &synthOf(plugin);
                   },
                   [](const clap_plugin_t* plugin, double rate, uint32_t least, uint32_t most) {
                     logCall(synthOf(plugin), "activate " + std::to_string(static_cast<int>(rate)) + " " +
                                                  std::to_string(least) + " " + std::to_string(most));
                     synthOf(plugin).rate = rate;
                     return !refuses("activate");
                   },
                   [](const clap_plugin_t* plugin) { logCall(synthOf(plugin), "deactivate"); },
                   [](const clap_plugin_t* plugin) {
                     logCall(synthOf(plugin), "start_processing");
                     return !refuses("start");
                   },
                   [](const clap_plugin_t* plugin) { logCall(synthOf(plugin), "stop_processing"); },
                   [](const clap_plugin_t*) {},
                   process,
                   pluginExtension,
                   [](const clap_plugin_t* plugin) { logCall(synthOf(plugin), "on_main_thread"); }};
  return &synth->plugin;
}

const clap_plugin_factory_t kFactory = {
    [](const clap_plugin_factory_t*) -> uint32_t { return refuses("plugins") ? 0 : 2; },
    [](const clap_plugin_factory_t*, uint32_t index) { return index < 2 ? &kDescriptors[index] : nullptr; },
    createPlugin};

// One provider, whose two presets lie inside the module and suit both plug-ins.
const clap_preset_discovery_provider_descriptor_t kProvider = {CLAP_VERSION, "org.quorlin.test.presets", "Test presets",
                                                               "Quorlin tests"};

bool metadata(const clap_preset_discovery_provider_t*, uint32_t kind, const char*,
              const clap_preset_discovery_metadata_receiver_t* receiver) {
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) return false;
  const char* const presets[][2] = {{"Quiet", "quiet"}, {"Loud", "loud"}};
  for (const auto& preset : presets) {
    receiver->begin_preset(receiver, preset[0], preset[1]);
    for (const clap_plugin_descriptor_t& descriptor : kDescriptors) {
      const clap_universal_plugin_id_t id = {"clap", descriptor.id};
      receiver->add_plugin_id(receiver, &id);
    }
  }
  return true;
}

struct Provider {
  clap_preset_discovery_provider_t provider;
  const clap_preset_discovery_indexer_t* indexer;
};

const clap_preset_discovery_factory_t kPresetFactory = {
    [](const clap_preset_discovery_factory_t*) -> uint32_t { return 1; },
    [](const clap_preset_discovery_factory_t*, uint32_t index) { return index == 0 ? &kProvider : nullptr; },
    [](const clap_preset_discovery_factory_t*, const clap_preset_discovery_indexer_t* indexer,
       const char*) -> const clap_preset_discovery_provider_t* {
      Provider* made = new Provider{{&kProvider, nullptr,
                                     [](const clap_preset_discovery_provider_t* provider) {
                                       const auto* indexer = static_cast<Provider*>(provider->provider_data)->indexer;
                                       const clap_preset_discovery_location_t inside = {
                                           CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Factory",
                                           CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
                                       return indexer->declare_location(indexer, &inside);
                                     },
                                     [](const clap_preset_discovery_provider_t* provider) {
                                       delete static_cast<Provider*>(provider->provider_data);
                                     },
                                     metadata,
                                     [](const clap_preset_discovery_provider_t*, const char*) -> const void* {
                                       return nullptr;
                                     }},
                                    indexer};
      made->provider.provider_data = made;
      return &made->provider;
    }};

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION,
    [](const char*) {
      logLine("entry init");
      return !refuses("entry-init");
    },
    [] { logLine("entry deinit"); },
    [](const char* id) -> const void* {
      if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return refuses("factory") ? nullptr : &kFactory;
      if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0) return &kPresetFactory;
      return nullptr;
    }};
