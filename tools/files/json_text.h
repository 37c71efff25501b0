// Texts and numbers as JSON, for `info --json` and a batch's result log.
#pragma once

#include <string>
#include <vector>

// A text as a JSON string. Plug-ins and lists write 8-bit text of no stated
// encoding: valid UTF-8 is kept, any other byte is read as Latin-1.
std::string jsonString(const std::string& text);

// A number to nine significant digits; null for what JSON has no number for
// (not a number, the infinities: the peak of silence is -inf dBFS).
std::string jsonNumber(double value);

// A number printed so that it reads back as exactly the same value: nine
// significant digits for a value a float holds, seventeen for any other.
std::string exactNumber(double value);

// Items already in JSON as a list, one a line at `indent`, the closing
// bracket two spaces less indented; [] when there are none.
std::string jsonList(const std::vector<std::string>& items, const char* indent);

// Each text as a JSON string.
std::vector<std::string> jsonStrings(const std::vector<std::string>& texts);
