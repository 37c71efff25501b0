#include "tools/hosting/clap/clap_description.h"

#include "tools/hosting/clap/clap_instrument.h"
#include "tools/hosting/clap/clap_parameters.h"
#include "tools/hosting/clap/clap_presets.h"

namespace {

// The plug-in extensions CLAP 1.2 publishes, by their released ids (and
// preset-load's draft id, which hosts still ask for): info lists those the
// plug-in answers.
const char* const kPublishedExtensions[] = {
    "clap.ambisonic/3",     "clap.audio-ports",       "clap.audio-ports-activation/2", "clap.audio-ports-config",
    "clap.configurable-audio-ports/1", "clap.context-menu/1", "clap.gui",     "clap.latency",
    "clap.note-name",       "clap.note-ports",        "clap.param-indication/4",       "clap.params",
    "clap.posix-fd-support", "clap.preset-load/2",    "clap.preset-load.draft/2",      "clap.remote-controls/2",
    "clap.render",          "clap.state",             "clap.state-context/2",          "clap.surround/4",
    "clap.tail",            "clap.thread-pool",       "clap.timer-support",            "clap.track-info/1",
    "clap.voice-info",
};

struct FlagName {
  uint32_t bit;
  const char* name;
};

const FlagName kParameterFlags[] = {
    {CLAP_PARAM_IS_STEPPED, "stepped"},
    {CLAP_PARAM_IS_PERIODIC, "periodic"},
    {CLAP_PARAM_IS_HIDDEN, "hidden"},
    {CLAP_PARAM_IS_READONLY, "read-only"},
    {CLAP_PARAM_IS_BYPASS, "bypass"},
    {CLAP_PARAM_IS_AUTOMATABLE, "automatable"},
    {CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID, "automatable-per-note-id"},
    {CLAP_PARAM_IS_AUTOMATABLE_PER_KEY, "automatable-per-key"},
    {CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL, "automatable-per-channel"},
    {CLAP_PARAM_IS_AUTOMATABLE_PER_PORT, "automatable-per-port"},
    {CLAP_PARAM_IS_MODULATABLE, "modulatable"},
    {CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID, "modulatable-per-note-id"},
    {CLAP_PARAM_IS_MODULATABLE_PER_KEY, "modulatable-per-key"},
    {CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL, "modulatable-per-channel"},
    {CLAP_PARAM_IS_MODULATABLE_PER_PORT, "modulatable-per-port"},
    {CLAP_PARAM_REQUIRES_PROCESS, "requires-process"},
    {CLAP_PARAM_IS_ENUM, "enum"},
};

const FlagName kDialects[] = {
    {CLAP_NOTE_DIALECT_CLAP, "clap"},
    {CLAP_NOTE_DIALECT_MIDI, "midi"},
    {CLAP_NOTE_DIALECT_MIDI_MPE, "midi-mpe"},
    {CLAP_NOTE_DIALECT_MIDI2, "midi2"},
};

template <size_t N>
std::vector<std::string> namesOf(uint32_t bits, const FlagName (&names)[N]) {
  std::vector<std::string> set;
  for (const FlagName& flag : names) {
    if ((bits & flag.bit) != 0) set.push_back(flag.name);
  }
  return set;
}

std::string text(const char* value) { return value != nullptr ? value : ""; }

ClapParameter describeParameter(ClapInstrument& instrument, const clap_param_info_t& info) {
  const clap_plugin_params_t& params = *instrument.extensions().params;
  ClapParameter parameter;
  parameter.id = info.id;
  parameter.name = info.name;
  parameter.module = info.module;
  parameter.minimum = info.min_value;
  parameter.defaultValue = info.default_value;
  parameter.maximum = info.max_value;
  parameter.flags = namesOf(info.flags, kParameterFlags);
  double value = 0.0;
  if (params.get_value == nullptr || !params.get_value(instrument.plugin(), info.id, &value)) return parameter;
  parameter.value = value;
  char shown[CLAP_NAME_SIZE] = {};
  if (params.value_to_text != nullptr && params.value_to_text(instrument.plugin(), info.id, value, shown, sizeof shown)) {
    shown[sizeof shown - 1] = '\0';
    parameter.valueText = shown;
  }
  return parameter;
}

std::vector<ClapAudioPort> audioPorts(const std::vector<clap_audio_port_info_t>& ports) {
  std::vector<ClapAudioPort> described;
  for (const clap_audio_port_info_t& port : ports) {
    described.push_back({port.id, port.name, port.channel_count, text(port.port_type),
                         (port.flags & CLAP_AUDIO_PORT_IS_MAIN) != 0});
  }
  return described;
}

std::vector<ClapNotePort> notePorts(const std::vector<clap_note_port_info_t>& ports) {
  std::vector<ClapNotePort> described;
  for (const clap_note_port_info_t& port : ports) {
    const std::vector<std::string> preferred = namesOf(port.preferred_dialect, kDialects);
    described.push_back({port.id, port.name, namesOf(port.supported_dialects, kDialects),
                         preferred.size() == 1 ? preferred.front() : ""});
  }
  return described;
}

}  // namespace

ClapDescription describeClap(ClapInstrument& instrument) {
  const clap_plugin_descriptor_t& descriptor = instrument.descriptor();
  ClapDescription description;
  description.modulePath = instrument.module().path();
  for (const clap_plugin_descriptor_t* plugin : instrument.module().plugins()) {
    description.modulePlugins.push_back(plugin->id);
  }
  description.id = descriptor.id;
  description.name = text(descriptor.name);
  description.vendor = text(descriptor.vendor);
  description.version = text(descriptor.version);
  description.description = text(descriptor.description);
  description.url = text(descriptor.url);
  description.manualUrl = text(descriptor.manual_url);
  description.supportUrl = text(descriptor.support_url);
  description.clapVersion = versionText(descriptor.clap_version);
  for (const char* const* feature = descriptor.features; feature != nullptr && *feature != nullptr; ++feature) {
    description.features.push_back(*feature);
  }
  for (const clap_param_info_t& info : readParameters(instrument.plugin(), instrument.extensions().params)) {
    description.parameters.push_back(describeParameter(instrument, info));
  }
  const ClapPorts& ports = instrument.ports();
  description.audioInputs = audioPorts(ports.audioInputs);
  description.audioOutputs = audioPorts(ports.audioOutputs);
  description.noteInputs = notePorts(ports.noteInputs);
  description.noteOutputs = notePorts(ports.noteOutputs);
  description.clapNotes = ports.noteInput().clapNotes;
  const clap_plugin_t* plugin = instrument.plugin();
  for (const char* id : kPublishedExtensions) {
    if (plugin->get_extension != nullptr && plugin->get_extension(plugin, id) != nullptr) {
      description.extensions.push_back(id);
    }
  }
  description.presets = discoverPresets(instrument.module(), descriptor.id);
  return description;
}
