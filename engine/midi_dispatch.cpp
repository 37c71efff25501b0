// How the engine plays one MIDI event. The channel is ignored: the
// instrument plays all sixteen alike.
#include <cstdint>

#include "engine/denormal_guard.h"
#include "engine/synth_engine.h"

namespace {

enum : uint8_t { kNoteOff = 0x80, kNoteOn = 0x90, kControlChange = 0xB0, kPitchBend = 0xE0 };

enum : int {
  kModulationWheel = 1,
  kChannelVolume = 7,
  kPan = 10,
  kAllNotesOff = 123,
  kMonoModeOn = 126,
};

// Mod-wheel value to vibrato depth: 127 raises the pitch by up to about 0.86
// semitone.
constexpr float kModDepthPerStep = 0.0002f;
// Pitch-bend value (centre 64) to bend units: about two semitones each way.
constexpr float kBendPerStep = 0.0156f;
constexpr int kBendCentre = 64;

}  // namespace

// render dispatches under its denormal guard, and so must an event played
// on its own: a note's steps come out differently from subnormal settings
// when they are read as zeros.
void SynthEngine::play(const MidiEvent& event) {
  const DenormalGuard denormalGuard;
  dispatch(event);
}

void SynthEngine::dispatch(const MidiEvent& event) {
  // Data bytes are seven bits. A byte with the top bit set is not MIDI data:
  // it could index past noteFrequencies or reach a controller as a negative
  // number, so the whole event is consumed without effect.
  if ((event.data1 | event.data2) & 0x80) return;
  const int d1 = event.data1;
  const int d2 = event.data2;
  switch (event.status & 0xF0) {
    case kNoteOff:
      noteOff(d1);
      break;
    case kNoteOn:
      // Keyboards and MIDI files end most notes with a note-on of velocity 0.
      if (d2 == 0) {
        noteOff(d1);
      } else {
        noteOn(d1, d2);
      }
      break;
    case kControlChange:
      controlChange(d1, d2);
      break;
    case kPitchBend:
      pitchBend(d2);  // d1, the fine part, is not used
      break;
    default:
      break;
  }
}

// Every note-on clears bend and vibrato in all voices, then the lowest free
// voice takes the note. There is no voice stealing: with none free (a voice
// in Release is busy) the note is dropped.
void SynthEngine::noteOn(int note, int velocityByte) {
  for (Voice& voice : voices) voice.setPitchBend(0.0f);
  for (Voice& voice : voices) voice.modDepth = 0.0f;
  for (Voice& voice : voices) {
    if (voice.isFree()) {
      voice.startNote(note, velocityByte);
      return;
    }
  }
}

// Releases only the lowest voice that holds the note and is not yet
// released, so two voices on one note need two note-offs.
void SynthEngine::noteOff(int note) {
  for (Voice& voice : voices) {
    const Envelope::State state = voice.envelope.state;
    const bool held = state == Envelope::Attack || state == Envelope::Decay || state == Envelope::Sustain;
    if (voice.note == note && held) {
      voice.releaseNote();
      return;
    }
  }
}

void SynthEngine::controlChange(int controller, int value) {
  switch (controller) {
    case kModulationWheel:
      for (Voice& voice : voices) voice.modDepth = static_cast<float>(value) * kModDepthPerStep;
      break;
    case kChannelVolume:
      outputStage.setVolume(value);
      break;
    case kPan:
      outputStage.setPan(value);
      break;
    case kAllNotesOff:
    case kMonoModeOn:
      for (Voice& voice : voices) voice.releaseNote();
      break;
    default:
      break;
  }
}

void SynthEngine::pitchBend(int value) {
  const float bend = static_cast<float>(value - kBendCentre) * kBendPerStep;
  for (Voice& voice : voices) voice.setPitchBend(bend);
}
