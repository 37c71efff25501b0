// Names for what is written before it takes its own name: beside it, in the
// same folder (so the final rename never crosses file systems), and hard to
// guess, different for every name asked of this process.
#pragma once

#include <string>

// Names tried before giving up; each is taken only if nothing has it yet.
constexpr int kNameAttempts = 100;

// "PATH.<six letters>.part"
std::string temporaryName(const std::string& path);
