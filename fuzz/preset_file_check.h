// Reads a byte string as quorlin-host reads an .fxp or .fxb file, and checks
// the two outcomes a user may meet: an accepted file yields a preset whose
// counts agree with what it holds, only finite values, and which the writer
// writes as a file the reader takes back unchanged; a rejected file yields
// exactly one PresetFileError whose message is one non-empty line of
// printable text (the tool shows it after the file name). Any other
// exception escaping the reader or the writer is a fault too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Empty when the reader and writer kept their promises for these bytes, otherwise what they broke.
std::string checkPresetFileReading(const uint8_t* data, size_t size);
