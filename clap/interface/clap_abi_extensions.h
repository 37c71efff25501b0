// The CLAP extensions the plug-in in clap/ and the tool's hosting use,
// declared from the published CLAP 1.2 numbers and names. A plug-in's tables
// are found through clap_plugin::get_extension, the host's through
// clap_host::get_extension, each by the id string above it; any may be
// missing, and the caller does without. Each table's functions run on the
// main thread unless a comment says otherwise.
#pragma once

#include <cstdint>

#include "clap/interface/clap_abi.h"

// ---- Audio ports ----------------------------------------------------------

constexpr char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
constexpr char CLAP_PORT_MONO[] = "mono";
constexpr char CLAP_PORT_STEREO[] = "stereo";

enum : uint32_t {
  CLAP_AUDIO_PORT_IS_MAIN = 1 << 0,
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};

typedef struct clap_audio_port_info {
  clap_id id;
  char name[CLAP_NAME_SIZE];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type;  // CLAP_PORT_MONO, CLAP_PORT_STEREO, another, or null
  clap_id in_place_pair;  // CLAP_INVALID_ID when none
} clap_audio_port_info_t;

typedef struct clap_plugin_audio_ports {
  uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
  bool(CLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_audio_port_info_t* info);
} clap_plugin_audio_ports_t;

enum : uint32_t {
  CLAP_AUDIO_PORTS_RESCAN_NAMES = 1 << 0,
  CLAP_AUDIO_PORTS_RESCAN_FLAGS = 1 << 1,
  CLAP_AUDIO_PORTS_RESCAN_CHANNEL_COUNT = 1 << 2,
  CLAP_AUDIO_PORTS_RESCAN_PORT_TYPE = 1 << 3,
  CLAP_AUDIO_PORTS_RESCAN_IN_PLACE_PAIR = 1 << 4,
  CLAP_AUDIO_PORTS_RESCAN_LIST = 1 << 5,
};

typedef struct clap_host_audio_ports {
  bool(CLAP_ABI* is_rescan_flag_supported)(const clap_host_t* host, uint32_t flag);
  void(CLAP_ABI* rescan)(const clap_host_t* host, uint32_t flags);
} clap_host_audio_ports_t;

// ---- Note ports -----------------------------------------------------------

constexpr char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";

enum : uint32_t {
  CLAP_NOTE_DIALECT_CLAP = 1 << 0,
  CLAP_NOTE_DIALECT_MIDI = 1 << 1,
  CLAP_NOTE_DIALECT_MIDI_MPE = 1 << 2,
  CLAP_NOTE_DIALECT_MIDI2 = 1 << 3,
};

typedef struct clap_note_port_info {
  clap_id id;
  uint32_t supported_dialects;  // a set of CLAP_NOTE_DIALECT_ bits
  uint32_t preferred_dialect;   // one of them
  char name[CLAP_NAME_SIZE];
} clap_note_port_info_t;

typedef struct clap_plugin_note_ports {
  uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
  bool(CLAP_ABI* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_note_port_info_t* info);
} clap_plugin_note_ports_t;

enum : uint32_t {
  CLAP_NOTE_PORTS_RESCAN_ALL = 1 << 0,
  CLAP_NOTE_PORTS_RESCAN_NAMES = 1 << 1,
};

typedef struct clap_host_note_ports {
  uint32_t(CLAP_ABI* supported_dialects)(const clap_host_t* host);
  void(CLAP_ABI* rescan)(const clap_host_t* host, uint32_t flags);
} clap_host_note_ports_t;

// ---- Parameters -----------------------------------------------------------

constexpr char CLAP_EXT_PARAMS[] = "clap.params";

typedef uint32_t clap_param_info_flags;
enum : clap_param_info_flags {
  CLAP_PARAM_IS_STEPPED = 1 << 0,
  CLAP_PARAM_IS_PERIODIC = 1 << 1,
  CLAP_PARAM_IS_HIDDEN = 1 << 2,
  CLAP_PARAM_IS_READONLY = 1 << 3,
  CLAP_PARAM_IS_BYPASS = 1 << 4,
  CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
  CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1 << 6,
  CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1 << 7,
  CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1 << 8,
  CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1 << 9,
  CLAP_PARAM_IS_MODULATABLE = 1 << 10,
  CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1 << 11,
  CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1 << 12,
  CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1 << 13,
  CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1 << 14,
  CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
  CLAP_PARAM_IS_ENUM = 1 << 16,
};

// Values are plain (in the parameter's own range), not normalized.
typedef struct clap_param_info {
  clap_id id;  // stable across versions: hosts save automation by it
  clap_param_info_flags flags;
  void* cookie;  // echoed back in the parameter events, for a fast lookup
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE];  // a "/"-separated group path, may be empty
  double min_value;
  double max_value;
  double default_value;
} clap_param_info_t;

// flush is how values reach a plug-in that is not processing: on the audio
// thread while active, on the main thread otherwise.
typedef struct clap_plugin_params {
  uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* get_info)(const clap_plugin_t* plugin, uint32_t param_index, clap_param_info_t* param_info);
  bool(CLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
  bool(CLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                                uint32_t out_buffer_capacity);
  bool(CLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text,
                                double* out_value);
  void(CLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
} clap_plugin_params_t;

typedef uint32_t clap_param_rescan_flags;
enum : clap_param_rescan_flags {
  CLAP_PARAM_RESCAN_VALUES = 1 << 0,
  CLAP_PARAM_RESCAN_TEXT = 1 << 1,
  CLAP_PARAM_RESCAN_INFO = 1 << 2,
  CLAP_PARAM_RESCAN_ALL = 1 << 3,  // only while the plug-in is inactive
};

typedef uint32_t clap_param_clear_flags;
enum : clap_param_clear_flags {
  CLAP_PARAM_CLEAR_ALL = 1 << 0,
  CLAP_PARAM_CLEAR_AUTOMATIONS = 1 << 1,
  CLAP_PARAM_CLEAR_MODULATIONS = 1 << 2,
};

// request_flush may be called from any thread but the audio thread; the host
// then calls the plug-in's flush, or process if it is processing anyway.
typedef struct clap_host_params {
  void(CLAP_ABI* rescan)(const clap_host_t* host, clap_param_rescan_flags flags);
  void(CLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, clap_param_clear_flags flags);
  void(CLAP_ABI* request_flush)(const clap_host_t* host);
} clap_host_params_t;

// ---- State ----------------------------------------------------------------

constexpr char CLAP_EXT_STATE[] = "clap.state";

typedef struct clap_plugin_state {
  bool(CLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
  bool(CLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
} clap_plugin_state_t;

typedef struct clap_host_state {
  void(CLAP_ABI* mark_dirty)(const clap_host_t* host);
} clap_host_state_t;

// ---- GUI ------------------------------------------------------------------

constexpr char CLAP_EXT_GUI[] = "clap.gui";
constexpr char CLAP_WINDOW_API_WIN32[] = "win32";
constexpr char CLAP_WINDOW_API_COCOA[] = "cocoa";
constexpr char CLAP_WINDOW_API_X11[] = "x11";

typedef void* clap_hwnd;
typedef void* clap_nsview;
// An X11 window id: an unsigned long, 32 bits on 64-bit Windows, where the
// union's pointers keep the window 16 bytes all the same.
typedef unsigned long clap_xwnd;

// A window handle of the api named.
typedef struct clap_window {
  const char* api;
  union {
    clap_nsview cocoa;
    clap_xwnd x11;
    clap_hwnd win32;
    void* ptr;
  };
} clap_window_t;

typedef struct clap_gui_resize_hints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
} clap_gui_resize_hints_t;

// Sizes are in physical pixels for x11 and win32.
typedef struct clap_plugin_gui {
  bool(CLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  bool(CLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api, bool* is_floating);
  bool(CLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale);
  bool(CLAP_ABI* get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool(CLAP_ABI* can_resize)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
  bool(CLAP_ABI* adjust_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool(CLAP_ABI* set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
  bool(CLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
  bool(CLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
  void(CLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
  bool(CLAP_ABI* show)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* hide)(const clap_plugin_t* plugin);
} clap_plugin_gui_t;

// Callable from any thread.
typedef struct clap_host_gui {
  void(CLAP_ABI* resize_hints_changed)(const clap_host_t* host);
  bool(CLAP_ABI* request_resize)(const clap_host_t* host, uint32_t width, uint32_t height);
  bool(CLAP_ABI* request_show)(const clap_host_t* host);
  bool(CLAP_ABI* request_hide)(const clap_host_t* host);
  void(CLAP_ABI* closed)(const clap_host_t* host, bool was_destroyed);
} clap_host_gui_t;

// ---- Latency and tail -----------------------------------------------------

constexpr char CLAP_EXT_LATENCY[] = "clap.latency";

typedef struct clap_plugin_latency {
  uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin);
} clap_plugin_latency_t;

// Only while the plug-in is being activated (inside activate).
typedef struct clap_host_latency {
  void(CLAP_ABI* changed)(const clap_host_t* host);
} clap_host_latency_t;

constexpr char CLAP_EXT_TAIL[] = "clap.tail";

// Frames of sound after the input falls silent, INT32_MAX or more for
// endless; asked on the main or the audio thread.
typedef struct clap_plugin_tail {
  uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin);
} clap_plugin_tail_t;

// Called on the audio thread.
typedef struct clap_host_tail {
  void(CLAP_ABI* changed)(const clap_host_t* host);
} clap_host_tail_t;

// ---- Log and thread check (host) ------------------------------------------

constexpr char CLAP_EXT_LOG[] = "clap.log";

typedef int32_t clap_log_severity;
enum : clap_log_severity {
  CLAP_LOG_DEBUG = 0,
  CLAP_LOG_INFO = 1,
  CLAP_LOG_WARNING = 2,
  CLAP_LOG_ERROR = 3,
  CLAP_LOG_FATAL = 4,
  CLAP_LOG_HOST_MISBEHAVING = 5,
  CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};

// Callable from any thread, the audio thread included.
typedef struct clap_host_log {
  void(CLAP_ABI* log)(const clap_host_t* host, clap_log_severity severity, const char* msg);
} clap_host_log_t;

constexpr char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";

// Callable from any thread.
typedef struct clap_host_thread_check {
  bool(CLAP_ABI* is_main_thread)(const clap_host_t* host);
  bool(CLAP_ABI* is_audio_thread)(const clap_host_t* host);
} clap_host_thread_check_t;

// ---- Timers and file descriptors (main-thread callbacks) ------------------

constexpr char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";

typedef struct clap_plugin_timer_support {
  void(CLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
} clap_plugin_timer_support_t;

typedef struct clap_host_timer_support {
  bool(CLAP_ABI* register_timer)(const clap_host_t* host, uint32_t period_ms, clap_id* timer_id);
  bool(CLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
} clap_host_timer_support_t;

constexpr char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";

typedef uint32_t clap_posix_fd_flags_t;
enum : clap_posix_fd_flags_t {
  CLAP_POSIX_FD_READ = 1 << 0,
  CLAP_POSIX_FD_WRITE = 1 << 1,
  CLAP_POSIX_FD_ERROR = 1 << 2,
};

// on_fd is level-triggered: a writable descriptor keeps calling until its
// write interest is removed with modify_fd.
typedef struct clap_plugin_posix_fd_support {
  void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t flags);
} clap_plugin_posix_fd_support_t;

typedef struct clap_host_posix_fd_support {
  bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
} clap_host_posix_fd_support_t;

// ---- Render mode ----------------------------------------------------------

constexpr char CLAP_EXT_RENDER[] = "clap.render";

typedef int32_t clap_plugin_render_mode;
enum : clap_plugin_render_mode {
  CLAP_RENDER_REALTIME = 0,
  CLAP_RENDER_OFFLINE = 1,
};

typedef struct clap_plugin_render {
  bool(CLAP_ABI* has_hard_realtime_requirement)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* set)(const clap_plugin_t* plugin, clap_plugin_render_mode mode);
} clap_plugin_render_t;

// ---- Voices ---------------------------------------------------------------

constexpr char CLAP_EXT_VOICE_INFO[] = "clap.voice-info";

enum : uint64_t {
  CLAP_VOICE_INFO_SUPPORTS_OVERLAPPING_NOTES = 1 << 0,
};

// voice_count is how many voices the sound may use, not how many are sounding.
typedef struct clap_voice_info {
  uint32_t voice_count;
  uint32_t voice_capacity;
  uint64_t flags;
} clap_voice_info_t;

// Asked only while the plug-in is active.
typedef struct clap_plugin_voice_info {
  bool(CLAP_ABI* get)(const clap_plugin_t* plugin, clap_voice_info_t* info);
} clap_plugin_voice_info_t;

typedef struct clap_host_voice_info {
  void(CLAP_ABI* changed)(const clap_host_t* host);
} clap_host_voice_info_t;

// ---- Preset loading -------------------------------------------------------

// The released id, and the draft's, which older hosts still ask for.
constexpr char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
constexpr char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";

// Locations and load keys are those the preset-discovery provider declared;
// location_kind is one of CLAP_PRESET_DISCOVERY_LOCATION_.
typedef struct clap_plugin_preset_load {
  bool(CLAP_ABI* from_location)(const clap_plugin_t* plugin, uint32_t location_kind, const char* location,
                                const char* load_key);
} clap_plugin_preset_load_t;

typedef struct clap_host_preset_load {
  void(CLAP_ABI* on_error)(const clap_host_t* host, uint32_t location_kind, const char* location,
                           const char* load_key, int32_t os_error, const char* msg);
  void(CLAP_ABI* loaded)(const clap_host_t* host, uint32_t location_kind, const char* location,
                         const char* load_key);
} clap_host_preset_load_t;
