// JACK's client library, loaded when `play` starts instead of linked, so that
// every other subcommand runs on a machine without it. The same library name
// reaches jackd's own library or PipeWire's (pw-jack puts that one first on
// the library path), so one client plays through either server.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

// The functions `play` calls, each named as in JACK without its "jack_" prefix.
#define QUORLIN_JACK_FUNCTIONS(X)                                                                 \
  X(client_open) X(client_close) X(get_client_name) X(activate) X(deactivate) X(get_sample_rate)  \
  X(get_buffer_size) X(cpu_load) X(set_process_callback) X(set_buffer_size_callback)              \
  X(set_sample_rate_callback) X(set_xrun_callback) X(on_shutdown) X(on_info_shutdown)             \
  X(set_port_registration_callback) X(set_error_function) X(set_info_function) X(port_register)   \
  X(port_get_buffer) X(port_name) X(port_by_name) X(port_connected_to) X(get_ports) X(connect)    \
  X(free) X(midi_get_event_count) X(midi_event_get)

struct JackLibrary {
#define QUORLIN_JACK_MEMBER(name) decltype(&::jack_##name) name;
  QUORLIN_JACK_FUNCTIONS(QUORLIN_JACK_MEMBER)
#undef QUORLIN_JACK_MEMBER
};

// Loads libjack.so.0 on first use and keeps it to the end of the process (its
// threads and exit handlers live in it). Throws ToolError (kExitNoAudio)
// saying what to install when it is missing or too old.
const JackLibrary& jackLibrary();
