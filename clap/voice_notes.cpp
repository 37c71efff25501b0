#include "clap/voice_notes.h"

namespace {

bool fieldMatches(int32_t pattern, int32_t value) { return pattern == -1 || value == -1 || pattern == value; }

}  // namespace

bool VoiceNotes::matches(const NoteAddress& pattern, const NoteAddress& note) {
  return fieldMatches(pattern.noteId, note.noteId) && fieldMatches(pattern.port, note.port) &&
         fieldMatches(pattern.channel, note.channel) && fieldMatches(pattern.key, note.key);
}

bool VoiceNotes::sounding(const NoteAddress& note) const {
  for (const Entry& entry : voices) {
    if (entry.state == State::sounding && matches(note, entry.note)) return true;
  }
  return false;
}

void VoiceNotes::tellEnd(const NoteAddress& note, const EventOutput& out, uint32_t frame) const {
  if (!sounding(note)) out.noteEnd(note, frame);
}

void VoiceNotes::startNote(SynthEngine& engine, const MidiEvent& noteOn, const NoteAddress& note,
                           const EventOutput& out, uint32_t frame) {
  bool wasFree[kVoiceCount];
  for (int v = 0; v < kVoiceCount; ++v) wasFree[v] = engine.voice(v).isFree();
  engine.play(noteOn);
  for (int v = 0; v < kVoiceCount; ++v) {
    if (!wasFree[v] || engine.voice(v).isFree()) continue;
    const Entry previous = voices[v];
    voices[v] = Entry{State::sounding, note};
    // Told now, while the new note sounds: the same note again keeps its
    // voice in a host that tells notes apart by key alone.
    if (previous.state == State::ended) tellEnd(previous.note, out, frame);
    return;
  }
  tellEnd(note, out, frame);  // no voice took it
}

void VoiceNotes::followSilences(const SynthEngine& engine) {
  for (int v = 0; v < kVoiceCount; ++v) {
    if (voices[v].state == State::sounding && engine.voice(v).isFree()) voices[v].state = State::ended;
  }
}

void VoiceNotes::reportEnds(const EventOutput& out, uint32_t frame) {
  for (Entry& entry : voices) {
    if (entry.state != State::ended) continue;
    entry.state = State::free;
    tellEnd(entry.note, out, frame);
  }
}

void VoiceNotes::clear() {
  for (Entry& entry : voices) entry = Entry{};
}
