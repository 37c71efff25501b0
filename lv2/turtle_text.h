// Pieces of Turtle text, and writing a Turtle file whole.
#pragma once

#include <string>

/// A float as the shortest decimal that reads back as the same float (by
/// strtof, and by strtod then a cast to float, as LV2 hosts read numbers),
/// always with a decimal point or an exponent.
std::string turtleNumber(float value);
/// A quoted string literal.
std::string turtleString(const std::string& text);
/// Writes the text to a temporary file beside `path` and renames it over
/// `path`, so that a failed run leaves no half-written file; false on failure.
bool writeWholeFile(const std::string& path, const std::string& text);
