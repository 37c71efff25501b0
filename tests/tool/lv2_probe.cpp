// An LV2 instrument written only to watch quorlin-host host one, in the
// bundle lv2_probe.lv2 of the build folder. While a note is held it plays a
// constant 0.25 on both outputs. Through log:log it says, from run:
//   "note on N at F"           for each note-on, at its frame in the block,
//   "sequence size S, but ..." when an atom buffer is smaller than the
//                              bufsz:sequenceSize it was told, or the MIDI
//                              input holds more than that,
//   "block of N frames, ..."   when a block is longer than bufsz:maxBlockLength.
// Like a plug-in that holds a resource of which there is one, it makes a
// single instance in a process: its second instantiate answers null.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

enum Port : uint32_t { kMidiIn, kLeft, kRight, kNotify, kPorts };

std::atomic<int> instancesMade{0};

struct Probe {
  LV2_Log_Log* log = nullptr;
  LV2_URID midiEvent = 0, trace = 0, error = 0;
  int64_t sequenceSize = 0, maxBlock = 0;
  void* ports[kPorts] = {};
  int held = 0;
};

const void* feature(const LV2_Feature* const* features, const char* uri) {
  for (; *features != nullptr; ++features) {
    if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
  }
  return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(feature(features, LV2_URID__map));
  if (map == nullptr || instancesMade.fetch_add(1) > 0) return nullptr;
  auto* probe = new Probe;
  probe->log = static_cast<LV2_Log_Log*>(const_cast<void*>(feature(features, LV2_LOG__log)));
  probe->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
  probe->trace = map->map(map->handle, LV2_LOG__Trace);
  probe->error = map->map(map->handle, LV2_LOG__Error);
  const LV2_URID sequenceSize = map->map(map->handle, LV2_BUF_SIZE__sequenceSize);
  const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const auto* options = static_cast<const LV2_Options_Option*>(feature(features, LV2_OPTIONS__options));
  for (; options != nullptr && options->key != 0; ++options) {
    if (options->key == sequenceSize) probe->sequenceSize = *static_cast<const int32_t*>(options->value);
    if (options->key == maxBlock) probe->maxBlock = *static_cast<const int32_t*>(options->value);
  }
  return probe;
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
  if (port < kPorts) static_cast<Probe*>(handle)->ports[port] = data;
}

void run(LV2_Handle handle, uint32_t frames) {
  Probe& probe = *static_cast<Probe*>(handle);
  const auto say = [&probe](LV2_URID type, const char* format, auto... values) {
    if (probe.log != nullptr) probe.log->printf(probe.log->handle, type, format, values...);
  };
  const auto* midi = static_cast<const LV2_Atom_Sequence*>(probe.ports[kMidiIn]);
  const auto* notify = static_cast<const LV2_Atom*>(probe.ports[kNotify]);
  const int64_t room = std::min<int64_t>(sizeof(LV2_Atom) + notify->size, INT32_MAX);
  if (room < probe.sequenceSize || sizeof(LV2_Atom) + midi->atom.size > uint64_t(probe.sequenceSize)) {
    say(probe.error, "sequence size %ld, but an output of %ld bytes and an input of %ld\n", long(probe.sequenceSize),
        long(room), long(sizeof(LV2_Atom) + midi->atom.size));
  }
  if (frames > probe.maxBlock) say(probe.error, "block of %u frames, longer than %ld\n", frames, long(probe.maxBlock));
  auto* left = static_cast<float*>(probe.ports[kLeft]);
  auto* right = static_cast<float*>(probe.ports[kRight]);
  uint32_t frame = 0;
  const auto play = [&](uint32_t until) {
    for (; frame < until && frame < frames; ++frame) left[frame] = right[frame] = probe.held > 0 ? 0.25f : 0.0f;
  };
  LV2_ATOM_SEQUENCE_FOREACH (midi, event) {
    if (event->body.type != probe.midiEvent) continue;
    const auto* bytes = reinterpret_cast<const uint8_t*>(event + 1);
    play(static_cast<uint32_t>(event->time.frames));
    const int kind = bytes[0] & 0xF0;
    if (kind == 0x90 && bytes[2] > 0) {
      ++probe.held;
      say(probe.trace, "note on %d at %ld\n", bytes[1], long(event->time.frames));
    } else if ((kind == 0x80 || kind == 0x90) && probe.held > 0) {
      --probe.held;
    }
  }
  play(frames);
}

void cleanup(LV2_Handle handle) { delete static_cast<Probe*>(handle); }

const LV2_Descriptor kDescriptor = {"urn:quorlin-test:lv2-probe", instantiate, connectPort, nullptr, run, nullptr,
                                    cleanup, nullptr};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
