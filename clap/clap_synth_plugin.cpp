#include "clap/clap_synth_plugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "clap/clap_synth_editor.h"
#include "clap/plugin_state.h"
#include "engine/factory_sounds.h"

namespace {

enum : uint8_t { kNoteOffStatus = 0x80, kNoteOnStatus = 0x90 };
constexpr int16_t kHighestKey = 127;
constexpr int kLowestPlayedVelocity = 1;  // 0 would make a note-on a note-off
constexpr int kHighestVelocity = 127;

// The event as its type's struct, when it is as long as one.
template <typename Event>
const Event* eventAs(const clap_event_header_t& header) {
  return header.size >= sizeof(Event) ? reinterpret_cast<const Event*>(&header) : nullptr;
}

bool isKey(int16_t key) { return key >= 0 && key <= kHighestKey; }

// A MIDI channel from a CLAP one; a wildcard or anything else plays on the
// first, which the engine hears as any other (it ignores channels).
uint8_t midiChannel(int16_t channel) { return channel >= 0 && channel < 16 ? static_cast<uint8_t>(channel) : 0; }

// CLAP's velocity, 0 to 1, as a MIDI velocity byte: a MIDI velocity v sent as
// v / 127 comes back as v exactly. A CLAP note-on always starts a note, so it
// plays at least at velocity 1.
uint8_t velocityByte(double velocity) {
  if (!(velocity > 0.0)) velocity = 0.0;
  const double scaled = std::round(std::min(velocity, 1.0) * kHighestVelocity);
  return static_cast<uint8_t>(std::max(kLowestPlayedVelocity, static_cast<int>(scaled)));
}

MidiEvent midiNote(uint8_t status, int16_t channel, int16_t key, uint8_t velocity) {
  return MidiEvent{0, static_cast<uint8_t>(status | midiChannel(channel)), static_cast<uint8_t>(key), velocity};
}

// A list without its functions counts as empty.
uint32_t eventCount(const clap_input_events_t* in) { return in && in->size && in->get ? in->size(in) : 0; }

}  // namespace

ClapSynthPlugin::ClapSynthPlugin(const clap_host_t* hostRecord, const clap_plugin_t& pluginCalls)
    : calls(pluginCalls), host(hostRecord) {
  calls.plugin_data = this;
}

ClapSynthPlugin::~ClapSynthPlugin() = default;

bool ClapSynthPlugin::init() {
  host.lookUp();
  return true;
}

// The rate is set before the values are applied, as a VST 2 host sets it
// before it applies a program: the envelope's lengths are counted at the
// rate of that moment.
bool ClapSynthPlugin::activate(double rate) {
  const auto single = static_cast<float>(rate);
  if (!std::isnormal(single) || single < 0.0f) return false;
  sampleRate = single;
  reset();
  return true;
}

void ClapSynthPlugin::reset() {
  engine.emplace();
  engine->setSampleRate(sampleRate);
  values.takeReplacement();  // applied right here
  applyAll();
  notes.clear();
}

clap_process_status ClapSynthPlugin::process(const clap_process_t& block) {
  if (!engine || block.audio_outputs_count < 1 || !block.audio_outputs) return CLAP_PROCESS_ERROR;
  clap_audio_buffer_t& output = block.audio_outputs[0];
  if (output.channel_count < 2 || !output.data32 || !output.data32[0] || !output.data32[1]) return CLAP_PROCESS_ERROR;
  left = output.data32[0];
  right = output.data32[1];
  output.constant_mask = 0;

  const EventOutput out(block.out_events);
  takeMainThreadChanges(out);
  rendered = 0;
  const uint32_t count = eventCount(block.in_events);
  for (uint32_t i = 0; i < count; ++i) {
    const clap_event_header_t* event = block.in_events->get(block.in_events, i);
    if (!event) continue;
    // As in the VST 2 build, an event behind the frames already rendered
    // plays at once, and one past the block's end after its last frame.
    renderUntil(std::clamp(event->time, rendered, block.frames_count));
    play(*event, out);
  }
  renderUntil(block.frames_count);
  notes.reportEnds(out, block.frames_count > 0 ? block.frames_count - 1 : 0);

  for (int v = 0; v < kVoiceCount; ++v) {
    if (!engine->voice(v).isFree()) return CLAP_PROCESS_CONTINUE;
  }
  return CLAP_PROCESS_SLEEP;  // silent until a note comes
}

void ClapSynthPlugin::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
  const EventOutput output(out);
  takeMainThreadChanges(output);
  const uint32_t count = eventCount(in);
  for (uint32_t i = 0; i < count; ++i) {
    const clap_event_header_t* event = in->get(in, i);
    if (event && event->type == CLAP_EVENT_PARAM_VALUE) play(*event, output);
  }
}

void ClapSynthPlugin::takeMainThreadChanges(const EventOutput& out) {
  if (values.takeReplacement()) applyAll();
  const uint32_t proposed = values.takeProposals();
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    if ((proposed & (1u << parameter)) == 0) continue;
    const float value = values.proposal(parameter);
    applyParameter(parameter, value);
    out.gesture(static_cast<clap_id>(parameter), value, 0);
  }
}

void ClapSynthPlugin::play(const clap_event_header_t& event, const EventOutput& out) {
  if (event.space_id != CLAP_CORE_EVENT_SPACE_ID) return;
  switch (event.type) {
    case CLAP_EVENT_NOTE_ON:
      if (const auto* note = eventAs<clap_event_note_t>(event); note && engine && isKey(note->key)) {
        notes.startNote(*engine, midiNote(kNoteOnStatus, note->channel, note->key, velocityByte(note->velocity)),
                        NoteAddress{note->note_id, note->port_index, note->channel, note->key}, out, rendered);
      }
      break;
    // The engine has no way to silence a voice but its release, so a choke
    // releases the note as a note-off does.
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE:
      if (const auto* note = eventAs<clap_event_note_t>(event); note && engine) {
        const auto release = [&](int16_t key) { engine->play(midiNote(kNoteOffStatus, note->channel, key, 0)); };
        if (isKey(note->key)) {
          release(note->key);
        } else if (note->key == -1) {
          notes.forEachMatching(NoteAddress{note->note_id, note->port_index, note->channel, -1}, release);
        }
      }
      break;
    case CLAP_EVENT_MIDI:
      if (const auto* midi = eventAs<clap_event_midi_t>(event); midi && engine) {
        const MidiEvent message{0, midi->data[0], midi->data[1], midi->data[2]};
        const bool startsNote = (message.status & 0xF0) == kNoteOnStatus && message.data2 != 0 &&
                                ((message.data1 | message.data2) & 0x80) == 0;
        if (startsNote) {
          const NoteAddress address{-1, static_cast<int16_t>(midi->port_index),
                                    static_cast<int16_t>(message.status & 0x0F), message.data1};
          notes.startNote(*engine, message, address, out, rendered);
        } else {
          engine->play(message);
        }
      }
      break;
    case CLAP_EVENT_PARAM_VALUE:
      if (const auto* change = eventAs<clap_event_param_value_t>(event); change && change->param_id < kParameterCount) {
        applyParameter(static_cast<int>(change->param_id), static_cast<float>(change->value));
      }
      break;
    default:
      break;
  }
}

void ClapSynthPlugin::applyParameter(int parameter, float value) {
  values.set(parameter, value);
  applyGroupOf(parameter);
}

// The engine takes the values in three groups; a change applies its own
// group, as a VST 2 program change applies all three.
void ClapSynthPlugin::applyGroupOf(int parameter) {
  if (!engine) return;
  switch (parameter) {
    case waveform:
      engine->setWaveform(values.get(waveform));
      break;
    case cutoff:
    case damping:
      engine->setFilter(values.get(cutoff), values.get(damping));
      break;
    default:
      engine->setEnvelope(values.get(attackTime), values.get(peakLevel), values.get(decayTime),
                          values.get(sustainLevel), values.get(releaseTime));
      break;
  }
}

void ClapSynthPlugin::applyAll() {
  applyGroupOf(waveform);
  applyGroupOf(cutoff);
  applyGroupOf(attackTime);
}

void ClapSynthPlugin::renderUntil(uint32_t frame) {
  if (frame <= rendered) return;
  const uint32_t most = std::numeric_limits<int32_t>::max();
  while (rendered < frame) {
    const uint32_t count = std::min(frame - rendered, most);
    engine->render(nullptr, 0, noEvents, left + rendered, right + rendered, static_cast<int32_t>(count));
    rendered += count;
  }
  notes.followSilences(*engine);
}

bool ClapSynthPlugin::saveState(const clap_ostream_t& stream) const {
  ParameterSet current;
  values.getAll(current);
  return writeState(stream, current);
}

bool ClapSynthPlugin::loadState(const clap_istream_t& stream) {
  ParameterSet loaded;
  if (!readState(stream, loaded)) return false;
  replaceValues(loaded);
  return true;
}

bool ClapSynthPlugin::loadFactorySound(const char* key) {
  for (const FactorySound& sound : kFactorySounds) {
    if (key && std::strcmp(key, sound.slug) == 0) {
      replaceValues(sound.values);
      host.presetLoaded(key);
      return true;
    }
  }
  host.presetRefused(key, "Quorlin has no factory sound of that load key");
  return false;
}

void ClapSynthPlugin::replaceValues(const ParameterSet& replacement) {
  values.replaceAll(replacement);
  host.rescanValues();
  host.requestFlush();
}

bool ClapSynthPlugin::createEditor() {
  if (editorPanel) return false;
  try {
    editorPanel = std::make_unique<ClapSynthEditor>(values, host);
    return true;
  } catch (...) {
    return false;
  }
}

void ClapSynthPlugin::destroyEditor() { editorPanel.reset(); }
