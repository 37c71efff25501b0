#include "lv2/lv2_synth_plugin.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/parameter_table.h"
#include "lv2/bundle_layout.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every message the engine plays (note off and on, controllers, pitch bend)
// takes three bytes; shorter ones are messages it ignores anyway.
constexpr uint32_t kPlayedMessageBytes = 3;

}  // namespace

Lv2SynthPlugin::Lv2SynthPlugin(double rate, LV2_URID midiEventType)
    : sampleRate(static_cast<float>(rate)), midiEvent(midiEventType) {
  activate();
}

void Lv2SynthPlugin::connect(uint32_t port, void* data) {
  switch (port) {
    case kMidiInPort:
      midiIn = static_cast<const LV2_Atom_Sequence*>(data);
      break;
    case kLeftOutPort:
      left = static_cast<float*>(data);
      break;
    case kRightOutPort:
      right = static_cast<float*>(data);
      break;
    default:
      if (parameterOfPort(port) >= 0) controls[parameterOfPort(port)] = static_cast<const float*>(data);
      break;
  }
}

// A VST 2 host sets the sample rate before it applies a program, and the
// envelope's lengths are counted at the rate of that moment: so is the rate
// here set before the first run applies the ports.
void Lv2SynthPlugin::activate() {
  engine.emplace();
  engine->setSampleRate(sampleRate);
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    applied[parameter] = kParameters[parameter].defaultValue;
  }
  appliedSinceActivate = false;
}

void Lv2SynthPlugin::run(uint32_t frames) {
  if (!left || !right) return;
  followControls();
  rendered = 0;
  const int64_t end = frames;
  if (midiIn) {
    LV2_ATOM_SEQUENCE_FOREACH(midiIn, event) {
      if (event->body.type != midiEvent || event->body.size < kPlayedMessageBytes) continue;
      // As in the VST 2 build, an event behind the frames already rendered
      // plays at once, and one at or past the block's end after its last sample.
      renderUntil(std::clamp<int64_t>(event->time.frames, rendered, end));
      const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
      engine->play(MidiEvent{0, bytes[0], bytes[1], bytes[2]});
    }
  }
  renderUntil(end);
}

void Lv2SynthPlugin::followControls() {
  float values[kParameterCount];
  bool changed[kParameterCount];
  for (int parameter = 0; parameter < kParameterCount; ++parameter) {
    values[parameter] = controls[parameter] ? *controls[parameter] : applied[parameter];
    changed[parameter] = !appliedSinceActivate || !sameBits(values[parameter], applied[parameter]);
    applied[parameter] = values[parameter];
  }
  appliedSinceActivate = true;

  if (changed[waveform]) engine->setWaveform(values[waveform]);
  if (changed[cutoff] || changed[damping]) engine->setFilter(values[cutoff], values[damping]);
  if (changed[attackTime] || changed[peakLevel] || changed[decayTime] || changed[sustainLevel] ||
      changed[releaseTime]) {
    engine->setEnvelope(values[attackTime], values[peakLevel], values[decayTime], values[sustainLevel],
                        values[releaseTime]);
  }
}

void Lv2SynthPlugin::renderUntil(int64_t frame) {
  while (rendered < frame) {
    const auto count = static_cast<int32_t>(std::min<int64_t>(frame - rendered, std::numeric_limits<int32_t>::max()));
    engine->render(nullptr, 0, noEvents, left + rendered, right + rendered, count);
    rendered += count;
  }
}
