// Every host call on a plug-in instance and its extensions, each handed to
// the ClapSynthPlugin behind the record (the gui's are in gui_calls.cpp).
// No exception leaves them.
#include "clap/plugin_calls.h"

#include <cstring>
#include <new>

#include "clap/clap_synth_plugin.h"
#include "clap/gui_calls.h"
#include "clap/interface/clap_abi_extensions.h"
#include "clap/interface/clap_abi_preset_discovery.h"
#include "clap/parameter_text.h"
#include "clap/plugin_descriptor.h"
#include "engine/parameter_table.h"
#include "platform/window_system.h"

namespace {

ClapSynthPlugin& instrumentOf(const clap_plugin_t* plugin) { return *ClapSynthPlugin::of(plugin); }

bool isParameter(clap_id id) { return id < static_cast<clap_id>(kParameterCount); }

// Copies text into one of the host's fixed fields, cut to fit.
template <size_t Size>
void copyName(char (&field)[Size], const char* text) {
  std::strncpy(field, text, Size - 1);
  field[Size - 1] = '\0';
}

// ---- Plug-in -------------------------------------------------------------

/// Looks up the host's extensions.
bool CLAP_ABI init(const clap_plugin_t* plugin) { return instrumentOf(plugin).init(); }

/// The host is done with the instance; an editor it left open goes too,
/// with the host's GL context kept.
void CLAP_ABI destroy(const clap_plugin_t* plugin) {
  const platform::KeptGlContext hostContext;
  delete &instrumentOf(plugin);
}

/// A fresh engine at the host's rate; the block sizes do not matter.
bool CLAP_ABI activate(const clap_plugin_t* plugin, double sampleRate, uint32_t, uint32_t) {
  return instrumentOf(plugin).activate(sampleRate);
}

/// Nothing to stop: activate starts afresh anyway.
void CLAP_ABI deactivate(const clap_plugin_t*) {}

/// Nothing to prepare or stop on the audio thread.
bool CLAP_ABI startProcessing(const clap_plugin_t*) { return true; }
void CLAP_ABI stopProcessing(const clap_plugin_t*) {}

/// Silence at once, every voice free.
void CLAP_ABI reset(const clap_plugin_t* plugin) { instrumentOf(plugin).reset(); }

/// One block: the events at their frames.
clap_process_status CLAP_ABI process(const clap_plugin_t* plugin, const clap_process_t* block) {
  return block ? instrumentOf(plugin).process(*block) : CLAP_PROCESS_ERROR;
}

const void* CLAP_ABI extension(const clap_plugin_t* plugin, const char* id);

/// Nothing is ever asked for on the main thread.
void CLAP_ABI onMainThread(const clap_plugin_t*) {}

const clap_plugin_t kCalls = {&kPluginDescriptor, nullptr,        init,    destroy,   activate,    deactivate,
                              startProcessing,    stopProcessing, reset,   process,   extension,   onMainThread};

// ---- Audio and note ports --------------------------------------------------

/// One stereo output; no input.
uint32_t CLAP_ABI audioPortCount(const clap_plugin_t*, bool isInput) { return isInput ? 0 : 1; }

bool CLAP_ABI audioPort(const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
  if (isInput || index != 0 || !info) return false;
  info->id = 0;
  copyName(info->name, "Output");
  info->flags = CLAP_AUDIO_PORT_IS_MAIN;
  info->channel_count = 2;
  info->port_type = CLAP_PORT_STEREO;
  info->in_place_pair = CLAP_INVALID_ID;
  return true;
}

/// One note input, taking CLAP's notes (preferred) and MIDI; no output.
uint32_t CLAP_ABI notePortCount(const clap_plugin_t*, bool isInput) { return isInput ? 1 : 0; }

bool CLAP_ABI notePort(const clap_plugin_t*, uint32_t index, bool isInput, clap_note_port_info_t* info) {
  if (!isInput || index != 0 || !info) return false;
  info->id = 0;
  info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
  info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
  copyName(info->name, "Notes");
  return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {audioPortCount, audioPort};
const clap_plugin_note_ports_t kNotePorts = {notePortCount, notePort};

// ---- Parameters -------------------------------------------------------------

/// The eight parameters, their ids their indices (as in the VST 2 build).
uint32_t CLAP_ABI parameterCount(const clap_plugin_t*) { return kParameterCount; }

/// Named as the editor's knobs, 0 to 1, starting at the default program's value.
bool CLAP_ABI parameterInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
  if (!isParameter(index) || !info) return false;
  const ParameterDescription& parameter = kParameters[index];
  info->id = index;
  info->flags = CLAP_PARAM_IS_AUTOMATABLE;
  info->cookie = nullptr;
  copyName(info->name, parameter.name);
  info->module[0] = '\0';
  info->min_value = kParameterMinimum;
  info->max_value = kParameterMaximum;
  info->default_value = parameter.defaultValue;
  return true;
}

/// The value the sound is made with now.
bool CLAP_ABI parameterValue(const clap_plugin_t* plugin, clap_id id, double* value) {
  if (!isParameter(id) || !value) return false;
  *value = instrumentOf(plugin).value(static_cast<int>(id));
  return true;
}

bool CLAP_ABI valueToText(const clap_plugin_t*, clap_id id, double value, char* text, uint32_t capacity) {
  try {
    return isParameter(id) && parameterValueText(static_cast<int>(id), value, text, capacity);
  } catch (...) {
    return false;
  }
}

bool CLAP_ABI textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) {
  try {
    return isParameter(id) && parameterValueFromText(static_cast<int>(id), text, value);
  } catch (...) {
    return false;
  }
}

/// Values without audio: the host's, and the knobs the editor released.
void CLAP_ABI flush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out) {
  instrumentOf(plugin).flush(in, out);
}

const clap_plugin_params_t kParams = {parameterCount, parameterInfo, parameterValue, valueToText, textToValue, flush};

// ---- State, presets, voices, latency, render --------------------------------

/// The eight values under a magic and a version (plugin_state.h).
bool CLAP_ABI saveState(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
  return stream && instrumentOf(plugin).saveState(*stream);
}

/// A whole state or nothing.
bool CLAP_ABI loadState(const clap_plugin_t* plugin, const clap_istream_t* stream) {
  return stream && instrumentOf(plugin).loadState(*stream);
}

const clap_plugin_state_t kState = {saveState, loadState};

/// A factory sound, as the preset discovery listed it: inside the plug-in,
/// its slug as the load key.
bool CLAP_ABI loadPreset(const clap_plugin_t* plugin, uint32_t kind, const char*, const char* key) {
  ClapSynthPlugin& instrument = instrumentOf(plugin);
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
    instrument.hostServices().presetRefused(key, "Quorlin's presets are inside the plug-in, not in files");
    return false;
  }
  return instrument.loadFactorySound(key);
}

const clap_plugin_preset_load_t kPresetLoad = {loadPreset};

/// Eight voices; two may play one key.
bool CLAP_ABI voiceInfo(const clap_plugin_t*, clap_voice_info_t* info) {
  if (!info) return false;
  *info = clap_voice_info_t{kVoiceCount, kVoiceCount, CLAP_VOICE_INFO_SUPPORTS_OVERLAPPING_NOTES};
  return true;
}

const clap_plugin_voice_info_t kVoiceInfo = {voiceInfo};

/// Every note is heard from its frame.
uint32_t CLAP_ABI latency(const clap_plugin_t*) { return 0; }

const clap_plugin_latency_t kLatency = {latency};

/// Realtime or offline, the same bits: nothing changes.
bool CLAP_ABI hardRealtime(const clap_plugin_t*) { return false; }
bool CLAP_ABI setRenderMode(const clap_plugin_t*, clap_plugin_render_mode) { return true; }

const clap_plugin_render_t kRender = {hardRealtime, setRenderMode};

struct Extension {
  const char* id;
  const void* table;
};

const Extension kExtensions[] = {
    {CLAP_EXT_AUDIO_PORTS, &kAudioPorts}, {CLAP_EXT_NOTE_PORTS, &kNotePorts},
    {CLAP_EXT_PARAMS, &kParams},          {CLAP_EXT_STATE, &kState},
    {CLAP_EXT_GUI, &kGuiCalls},           {CLAP_EXT_TIMER_SUPPORT, &kTimerCalls},
    {CLAP_EXT_VOICE_INFO, &kVoiceInfo},   {CLAP_EXT_LATENCY, &kLatency},
    {CLAP_EXT_RENDER, &kRender},          {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
    {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoad},
};

/// The extension tables above, by id.
const void* CLAP_ABI extension(const clap_plugin_t*, const char* id) {
  if (!id) return nullptr;
  for (const Extension& known : kExtensions) {
    if (std::strcmp(id, known.id) == 0) return known.table;
  }
  return nullptr;
}

}  // namespace

const clap_plugin_t* createPlugin(const clap_host_t* host) {
  if (!host || !clap_version_is_compatible(host->clap_version)) return nullptr;
  try {
    const auto* instrument = new (std::nothrow) ClapSynthPlugin(host, kCalls);
    return instrument ? instrument->record() : nullptr;
  } catch (...) {
    return nullptr;
  }
}
