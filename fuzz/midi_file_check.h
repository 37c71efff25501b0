// Reads a byte string as quorlin-host reads a MIDI file, and checks the two
// outcomes a user may meet: an accepted file yields tracks that each end with
// their end-of-track event and a schedule whose frames never go back; a
// rejected file yields exactly one MidiFileError whose message is one
// non-empty line of printable text (the tool shows it after the file name).
// Any other exception escaping the reader is a fault too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Empty when the reader kept its promises for these bytes, otherwise what it broke.
std::string checkMidiFileReading(const uint8_t* data, size_t size);
