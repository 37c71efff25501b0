// The CLAP binary interface, the core of it: versions, the module's entry, the
// plug-in factory, plug-in and host objects, processing, events and streams.
// Declared from the published CLAP 1.2 numbers and names, and only the part
// the plug-in in clap/ and the tool's hosting use; the extensions are in
// clap_abi_extensions.h, preset discovery in clap_abi_preset_discovery.h.
//
// Every struct is plain C, laid out by the platform's C rules: on 32-bit
// Windows a double or a 64-bit integer inside a struct is aligned to 8 (unlike
// 32-bit Linux), so an event's double sits at the same place whichever
// compiler built the host. tests/clap pins the sizes and offsets.
#pragma once

#include <cstddef>
#include <cstdint>

// Every function in a CLAP table is cdecl on Windows, whatever the compiler's
// default; elsewhere the platform's one C convention.
#if defined(_WIN32) || defined(__CYGWIN__)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

// What makes the module's entry visible to the host's symbol lookup.
#if defined(_WIN32) || defined(__CYGWIN__)
#define CLAP_EXPORT __attribute__((dllexport))
#else
#define CLAP_EXPORT __attribute__((visibility("default")))
#endif

// ---- Versions -------------------------------------------------------------

typedef struct clap_version {
  uint32_t major;
  uint32_t minor;
  uint32_t revision;
} clap_version_t;

// The version this declaration follows.
constexpr clap_version_t CLAP_VERSION = {1, 2, 10};

// Versions 0.x were development releases with another layout; every 1.x
// and later is compatible.
constexpr bool clap_version_is_compatible(const clap_version_t v) { return v.major >= 1; }

// ---- Identifiers and sizes ------------------------------------------------

typedef uint32_t clap_id;
constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

// Capacities of the fixed text fields, terminator included.
enum : uint32_t {
  CLAP_NAME_SIZE = 256,
  CLAP_PATH_SIZE = 1024,
};

// ---- Streams (state) ------------------------------------------------------

// read answers the bytes read (0 at the end, negative on error); write the
// bytes written (negative on error). Either may move fewer bytes than asked.
typedef struct clap_istream {
  void* ctx;
  int64_t(CLAP_ABI* read)(const struct clap_istream* stream, void* buffer, uint64_t size);
} clap_istream_t;

typedef struct clap_ostream {
  void* ctx;
  int64_t(CLAP_ABI* write)(const struct clap_ostream* stream, const void* buffer, uint64_t size);
} clap_ostream_t;

// ---- Events ---------------------------------------------------------------

// Every event starts with this header; size counts the whole event, so a
// reader skips types it does not know.
typedef struct clap_event_header {
  uint32_t size;
  uint32_t time;  // frame within the block
  uint16_t space_id;
  uint16_t type;
  uint32_t flags;
} clap_event_header_t;

// The space of the event types below; other spaces belong to extensions.
constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum : uint32_t {
  CLAP_EVENT_IS_LIVE = 1 << 0,       // played now by a performer, not read from a track
  CLAP_EVENT_DONT_RECORD = 1 << 1,   // the host must not record it
};

enum : uint16_t {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_NOTE_CHOKE = 2,
  CLAP_EVENT_NOTE_END = 3,  // plug-in to host: a voice fell silent
  CLAP_EVENT_NOTE_EXPRESSION = 4,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
  CLAP_EVENT_MIDI_SYSEX = 11,
  CLAP_EVENT_MIDI2 = 12,
};

// Note on, off, choke and end. A -1 in note_id, port_index, channel or key is
// a wildcard (off and choke may match several notes).
typedef struct clap_event_note {
  clap_event_header_t header;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;  // 0..15
  int16_t key;      // 0..127, 60 is middle C
  double velocity;  // 0..1
} clap_event_note_t;

// A parameter's new plain value; the same -1 wildcards address notes.
typedef struct clap_event_param_value {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;  // the cookie the plug-in gave in clap_param_info, or null
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
} clap_event_param_value_t;

// A modulation offset added to the parameter's value.
typedef struct clap_event_param_mod {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double amount;
} clap_event_param_mod_t;

// A user's adjustment of a parameter begins or ends (plug-in to host).
typedef struct clap_event_param_gesture {
  clap_event_header_t header;
  clap_id param_id;
} clap_event_param_gesture_t;

// Tempo and position: read by neither the plug-in nor the tool, only passed
// by pointer (null for a free-running host).
typedef struct clap_event_transport clap_event_transport_t;

typedef struct clap_event_midi {
  clap_event_header_t header;
  uint16_t port_index;
  uint8_t data[3];
} clap_event_midi_t;

// The buffer lives only as long as the event list it arrived in.
typedef struct clap_event_midi_sysex {
  clap_event_header_t header;
  uint16_t port_index;
  const uint8_t* buffer;
  uint32_t size;
} clap_event_midi_sysex_t;

typedef struct clap_event_midi2 {
  clap_event_header_t header;
  uint16_t port_index;
  uint32_t data[4];
} clap_event_midi2_t;

// The host's events for one block, sorted by time.
typedef struct clap_input_events {
  void* ctx;
  uint32_t(CLAP_ABI* size)(const struct clap_input_events* list);
  const clap_event_header_t*(CLAP_ABI* get)(const struct clap_input_events* list, uint32_t index);
} clap_input_events_t;

// Where the plug-in sends events; try_push copies the event and answers false
// when the list is full.
typedef struct clap_output_events {
  void* ctx;
  bool(CLAP_ABI* try_push)(const struct clap_output_events* list, const clap_event_header_t* event);
} clap_output_events_t;

// ---- Processing -----------------------------------------------------------

// One audio port's channels for a block. Only one of data32 and data64 is
// used; bit i of constant_mask says channel i holds one value throughout.
typedef struct clap_audio_buffer {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask;
} clap_audio_buffer_t;

typedef int32_t clap_process_status;
enum : clap_process_status {
  CLAP_PROCESS_ERROR = 0,
  CLAP_PROCESS_CONTINUE = 1,
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
  CLAP_PROCESS_TAIL = 3,
  CLAP_PROCESS_SLEEP = 4,  // silent until the next event: the host may stop calling
};

typedef struct clap_process {
  int64_t steady_time;  // a steadily rising frame counter, or -1 when unknown
  uint32_t frames_count;
  const clap_event_transport_t* transport;
  const clap_audio_buffer_t* audio_inputs;
  clap_audio_buffer_t* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const clap_input_events_t* in_events;
  const clap_output_events_t* out_events;
} clap_process_t;

// ---- Host -----------------------------------------------------------------

// What the host gives the plug-in. request_callback asks for a call of the
// plug-in's on_main_thread; the other requests may come from any thread.
typedef struct clap_host {
  clap_version_t clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void*(CLAP_ABI* get_extension)(const struct clap_host* host, const char* extension_id);
  void(CLAP_ABI* request_restart)(const struct clap_host* host);
  void(CLAP_ABI* request_process)(const struct clap_host* host);
  void(CLAP_ABI* request_callback)(const struct clap_host* host);
} clap_host_t;

// ---- Plug-in --------------------------------------------------------------

// The plug-in's fixed facts; features is a null-terminated list of words such
// as the three below.
typedef struct clap_plugin_descriptor {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;
} clap_plugin_descriptor_t;

constexpr char CLAP_PLUGIN_FEATURE_INSTRUMENT[] = "instrument";
constexpr char CLAP_PLUGIN_FEATURE_SYNTHESIZER[] = "synthesizer";
constexpr char CLAP_PLUGIN_FEATURE_STEREO[] = "stereo";

// A plug-in instance. init, destroy, activate, deactivate, get_extension and
// on_main_thread run on the main thread; start_processing, stop_processing,
// reset and process on the audio thread, and only while active.
typedef struct clap_plugin {
  const clap_plugin_descriptor_t* desc;
  void* plugin_data;
  bool(CLAP_ABI* init)(const struct clap_plugin* plugin);
  void(CLAP_ABI* destroy)(const struct clap_plugin* plugin);
  bool(CLAP_ABI* activate)(const struct clap_plugin* plugin, double sample_rate, uint32_t min_frames_count,
                           uint32_t max_frames_count);
  void(CLAP_ABI* deactivate)(const struct clap_plugin* plugin);
  bool(CLAP_ABI* start_processing)(const struct clap_plugin* plugin);
  void(CLAP_ABI* stop_processing)(const struct clap_plugin* plugin);
  void(CLAP_ABI* reset)(const struct clap_plugin* plugin);
  clap_process_status(CLAP_ABI* process)(const struct clap_plugin* plugin, const clap_process_t* process);
  const void*(CLAP_ABI* get_extension)(const struct clap_plugin* plugin, const char* id);
  void(CLAP_ABI* on_main_thread)(const struct clap_plugin* plugin);
} clap_plugin_t;

// ---- Factory and entry ----------------------------------------------------

constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

typedef struct clap_plugin_factory {
  uint32_t(CLAP_ABI* get_plugin_count)(const struct clap_plugin_factory* factory);
  const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(const struct clap_plugin_factory* factory,
                                                                   uint32_t index);
  const clap_plugin_t*(CLAP_ABI* create_plugin)(const struct clap_plugin_factory* factory, const clap_host_t* host,
                                                const char* plugin_id);
} clap_plugin_factory_t;

// The one symbol a module exports. init runs once per load before anything
// else, deinit once at the end; get_factory answers null for an unknown id.
typedef struct clap_plugin_entry {
  clap_version_t clap_version;
  bool(CLAP_ABI* init)(const char* plugin_path);
  void(CLAP_ABI* deinit)(void);
  const void*(CLAP_ABI* get_factory)(const char* factory_id);
} clap_plugin_entry_t;

// The name a host looks the entry up by.
constexpr char kClapEntrySymbol[] = "clap_entry";

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry;
