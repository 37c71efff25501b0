// Texts and numbers as JSON, for `info --json` and a batch's result log.
#pragma once

#include <string>

// A text as a JSON string. Plug-ins and lists write 8-bit text of no stated
// encoding: valid UTF-8 is kept, any other byte is read as Latin-1.
std::string jsonString(const std::string& text);

// A number to nine significant digits; null for what JSON has no number for
// (not a number, the infinities: the peak of silence is -inf dBFS).
std::string jsonNumber(double value);
