// Which note each of the engine's voices plays, as the host addressed it, so
// that the host hears when each note's voice has fallen silent
// (CLAP_EVENT_NOTE_END) and can end what it tied to the note (a polyphonic
// modulation, say).
//
// The engine itself decides which voice takes a note (the lowest free one)
// and when a voice falls silent (its envelope turns idle); this only watches
// the engine's voices between the stretches of frames it renders. A note
// that finds no free voice is dropped by the engine (it never steals one), so
// it ends at once. An end is told at the block's end (or when its voice is
// taken again), unless a note the host would take for the same one, on the
// same port, channel and key, is sounding then: a host that gives no note ids
// keeps one voice per key, and must not end it under a later note.
#pragma once

#include <cstdint>

#include "clap/event_output.h"
#include "engine/synth_engine.h"

class VoiceNotes {
 public:
  /// Plays a note-on through the engine and notes which voice took it.
  void startNote(SynthEngine& engine, const MidiEvent& noteOn, const NoteAddress& note, const EventOutput& out,
                 uint32_t frame);
  /// After frames were rendered: notes the voices that fell silent.
  void followSilences(const SynthEngine& engine);
  /// Tells the host of the notes that ended and not yet told.
  void reportEnds(const EventOutput& out, uint32_t frame);
  /// The keys of the sounding notes that a note-off with wildcards addresses
  /// (the pattern's key is -1), one call for each.
  template <typename Release>
  void forEachMatching(const NoteAddress& pattern, Release release) const {
    for (const Entry& entry : voices) {
      if (entry.state == State::sounding && matches(pattern, entry.note)) release(entry.note.key);
    }
  }
  /// Every voice free, nothing left to tell: the engine started afresh.
  void clear();

 private:
  enum class State : uint8_t { free, sounding, ended };
  struct Entry {
    State state = State::free;
    NoteAddress note{};
  };

  static bool matches(const NoteAddress& pattern, const NoteAddress& note);
  bool sounding(const NoteAddress& note) const;
  void tellEnd(const NoteAddress& note, const EventOutput& out, uint32_t frame) const;

  Entry voices[kVoiceCount];
};
