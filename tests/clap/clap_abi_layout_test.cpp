// The CLAP structs as hosts and plug-ins built elsewhere lay them out. A
// field at another place would not fail to compile or link: it would read
// another field's bytes. The numbers are worked out by hand from the
// published CLAP 1.2 headers for each target; on Win32 a double or 64-bit
// integer is aligned to 8 inside a struct, pointers are 4 bytes. Every struct
// the headers declare has its size here (a function table's size catches an
// entry missing or added), and the offsets that follow padding.
#include <gtest/gtest.h>

#include <cstddef>

#include "clap/interface/clap_abi.h"
#include "clap/interface/clap_abi_extensions.h"
#include "clap/interface/clap_abi_preset_discovery.h"

namespace {

struct Layout {
  const char* what;
  size_t actual;
  size_t linux64, win64, win32;
};

#define SIZE(type) #type, sizeof(type)
#define AT(type, field) #type "." #field, offsetof(type, field)

const Layout kLayouts[] = {
    // Core: entry, factory, plug-in, host.
    {SIZE(clap_version_t), 12, 12, 12},
    {AT(clap_plugin_entry_t, init), 16, 16, 12},
    {SIZE(clap_plugin_entry_t), 40, 40, 24},
    {SIZE(clap_plugin_factory_t), 24, 24, 12},
    {AT(clap_plugin_descriptor_t, id), 16, 16, 12},
    {AT(clap_plugin_descriptor_t, features), 80, 80, 44},
    {SIZE(clap_plugin_descriptor_t), 88, 88, 48},
    {AT(clap_plugin_t, process), 72, 72, 36},
    {SIZE(clap_plugin_t), 96, 96, 48},
    {AT(clap_host_t, host_data), 16, 16, 12},
    {AT(clap_host_t, get_extension), 56, 56, 32},
    {SIZE(clap_host_t), 88, 88, 48},
    // Processing.
    {AT(clap_audio_buffer_t, channel_count), 16, 16, 8},
    {AT(clap_audio_buffer_t, constant_mask), 24, 24, 16},
    {SIZE(clap_audio_buffer_t), 32, 32, 24},
    {AT(clap_process_t, transport), 16, 16, 12},
    {AT(clap_process_t, audio_outputs), 32, 32, 20},
    {AT(clap_process_t, audio_outputs_count), 44, 44, 28},
    {AT(clap_process_t, in_events), 48, 48, 32},
    {SIZE(clap_process_t), 64, 64, 40},
    {SIZE(clap_input_events_t), 24, 24, 12},
    {SIZE(clap_output_events_t), 16, 16, 8},
    {SIZE(clap_istream_t), 16, 16, 8},
    {SIZE(clap_ostream_t), 16, 16, 8},
    // Events: the header, then each event's fields after it.
    {AT(clap_event_header_t, space_id), 8, 8, 8},
    {AT(clap_event_header_t, type), 10, 10, 10},
    {SIZE(clap_event_header_t), 16, 16, 16},
    {AT(clap_event_note_t, key), 24, 24, 24},
    {AT(clap_event_note_t, velocity), 32, 32, 32},
    {SIZE(clap_event_note_t), 40, 40, 40},
    {AT(clap_event_param_value_t, cookie), 24, 24, 20},
    {AT(clap_event_param_value_t, note_id), 32, 32, 24},
    {AT(clap_event_param_value_t, key), 40, 40, 32},
    {AT(clap_event_param_value_t, value), 48, 48, 40},
    {SIZE(clap_event_param_value_t), 56, 56, 48},
    {AT(clap_event_param_mod_t, amount), 48, 48, 40},
    {SIZE(clap_event_param_mod_t), 56, 56, 48},
    {SIZE(clap_event_param_gesture_t), 20, 20, 20},
    {AT(clap_event_midi_t, data), 18, 18, 18},
    {SIZE(clap_event_midi_t), 24, 24, 24},
    {AT(clap_event_midi_sysex_t, buffer), 24, 24, 20},
    {AT(clap_event_midi_sysex_t, size), 32, 32, 24},
    {SIZE(clap_event_midi_sysex_t), 40, 40, 28},
    {AT(clap_event_midi2_t, data), 20, 20, 20},
    {SIZE(clap_event_midi2_t), 36, 36, 36},
    // Extensions' records and tables.
    {AT(clap_audio_port_info_t, flags), 260, 260, 260},
    {AT(clap_audio_port_info_t, port_type), 272, 272, 268},
    {AT(clap_audio_port_info_t, in_place_pair), 280, 280, 272},
    {SIZE(clap_audio_port_info_t), 288, 288, 276},
    {SIZE(clap_plugin_audio_ports_t), 16, 16, 8},
    {SIZE(clap_host_audio_ports_t), 16, 16, 8},
    {AT(clap_note_port_info_t, name), 12, 12, 12},
    {SIZE(clap_note_port_info_t), 268, 268, 268},
    {SIZE(clap_plugin_note_ports_t), 16, 16, 8},
    {SIZE(clap_host_note_ports_t), 16, 16, 8},
    {AT(clap_param_info_t, cookie), 8, 8, 8},
    {AT(clap_param_info_t, name), 16, 16, 12},
    {AT(clap_param_info_t, module), 272, 272, 268},
    {AT(clap_param_info_t, min_value), 1296, 1296, 1296},
    {AT(clap_param_info_t, default_value), 1312, 1312, 1312},
    {SIZE(clap_param_info_t), 1320, 1320, 1320},
    {SIZE(clap_plugin_params_t), 48, 48, 24},
    {SIZE(clap_host_params_t), 24, 24, 12},
    {SIZE(clap_plugin_state_t), 16, 16, 8},
    {SIZE(clap_host_state_t), 8, 8, 4},
    {AT(clap_window_t, x11), 8, 8, 4},
    {SIZE(clap_window_t), 16, 16, 8},
    {AT(clap_gui_resize_hints_t, aspect_ratio_width), 4, 4, 4},
    {SIZE(clap_gui_resize_hints_t), 12, 12, 12},
    {SIZE(clap_plugin_gui_t), 120, 120, 60},
    {SIZE(clap_host_gui_t), 40, 40, 20},
    {SIZE(clap_plugin_latency_t), 8, 8, 4},
    {SIZE(clap_host_latency_t), 8, 8, 4},
    {SIZE(clap_plugin_tail_t), 8, 8, 4},
    {SIZE(clap_host_tail_t), 8, 8, 4},
    {SIZE(clap_host_log_t), 8, 8, 4},
    {SIZE(clap_host_thread_check_t), 16, 16, 8},
    {SIZE(clap_plugin_timer_support_t), 8, 8, 4},
    {SIZE(clap_host_timer_support_t), 16, 16, 8},
    {SIZE(clap_plugin_posix_fd_support_t), 8, 8, 4},
    {SIZE(clap_host_posix_fd_support_t), 24, 24, 12},
    {SIZE(clap_plugin_render_t), 16, 16, 8},
    {AT(clap_voice_info_t, flags), 8, 8, 8},
    {SIZE(clap_voice_info_t), 16, 16, 16},
    {SIZE(clap_plugin_voice_info_t), 8, 8, 4},
    {SIZE(clap_host_voice_info_t), 8, 8, 4},
    {SIZE(clap_plugin_preset_load_t), 8, 8, 4},
    {SIZE(clap_host_preset_load_t), 16, 16, 8},
    // Preset discovery.
    {SIZE(clap_universal_plugin_id_t), 16, 16, 8},
    {SIZE(clap_preset_discovery_metadata_receiver_t), 88, 88, 44},
    {SIZE(clap_preset_discovery_filetype_t), 24, 24, 12},
    {AT(clap_preset_discovery_location_t, kind), 16, 16, 8},
    {SIZE(clap_preset_discovery_location_t), 32, 32, 16},
    {AT(clap_preset_discovery_soundpack_t, release_timestamp), 56, 56, 32},
    {SIZE(clap_preset_discovery_soundpack_t), 64, 64, 40},
    {SIZE(clap_preset_discovery_provider_descriptor_t), 40, 40, 24},
    {SIZE(clap_preset_discovery_provider_t), 48, 48, 24},
    {AT(clap_preset_discovery_indexer_t, indexer_data), 48, 48, 28},
    {SIZE(clap_preset_discovery_indexer_t), 88, 88, 48},
    {SIZE(clap_preset_discovery_factory_t), 24, 24, 12},
};

#undef SIZE
#undef AT

size_t expectedHere(const Layout& layout) {
#if defined(_WIN64)
  return layout.win64;
#elif defined(_WIN32)
  return layout.win32;
#else
  static_assert(sizeof(void*) == 8, "the Linux target is x86-64");
  return layout.linux64;
#endif
}

TEST(ClapAbi, StructsHaveThePublishedSizesAndOffsets) {
  for (const Layout& layout : kLayouts) {
    EXPECT_EQ(layout.actual, expectedHere(layout)) << layout.what;
  }
}

// A host refuses a module built for the 0.x development layouts and takes
// every 1.x or later.
TEST(ClapAbi, VersionsFromOneOnAreCompatible) {
  const struct {
    clap_version_t version;
    bool compatible;
  } cases[] = {
      {{0, 19, 0}, false}, {{0, 0, 0}, false}, {{1, 0, 0}, true}, {CLAP_VERSION, true}, {{2, 0, 0}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clap_version_is_compatible(c.version), c.compatible)
        << c.version.major << "." << c.version.minor << "." << c.version.revision;
  }
}

}  // namespace
