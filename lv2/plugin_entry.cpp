// The plug-in library's one export, lv2_descriptor, and the descriptor's
// functions, which hand each host call to the Lv2SynthPlugin. No exception
// leaves them.
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <new>

#include "lv2/bundle_layout.h"
#include "lv2/feature_data.h"
#include "lv2/lv2_synth_plugin.h"

namespace {

Lv2SynthPlugin* instrumentOf(LV2_Handle handle) { return static_cast<Lv2SynthPlugin*>(handle); }

/// A host without urid:map (the one feature the Turtle requires) gets no instance.
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
  if (!map || !map->map) return nullptr;
  try {
    return new (std::nothrow) Lv2SynthPlugin(sampleRate, map->map(map->handle, LV2_MIDI__MidiEvent));
  } catch (...) {
    return nullptr;
  }
}

/// The host's buffer for a port.
void connectPort(LV2_Handle instance, uint32_t port, void* data) { instrumentOf(instance)->connect(port, data); }

/// Silent, with the ports applied afresh at the next run.
void activate(LV2_Handle instance) { instrumentOf(instance)->activate(); }

/// One block.
void run(LV2_Handle instance, uint32_t frames) { instrumentOf(instance)->run(frames); }

/// Nothing to stop: activate starts afresh anyway.
void deactivate(LV2_Handle) {}

/// The host is done with the instance.
void cleanup(LV2_Handle instance) { delete instrumentOf(instance); }

/// No extension: the ports are the whole state.
const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {kInstrumentUri, instantiate, connectPort, activate, run,
                                    deactivate,     cleanup,     extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) { return index == 0 ? &kDescriptor : nullptr; }
