// The few operating-system services the tool needs beyond standard C++.
#pragma once

#include <string>

// The folder that holds the running executable, without a trailing separator.
std::string executableDirectory();

// True when standard error goes to a terminal (where a progress bar makes sense).
bool standardErrorIsTerminal();

// Gives the finished file `from` the name `to`, replacing any file of that name.
// Returns an empty string, or the system's reason for failing.
std::string replaceFile(const std::string& from, const std::string& to);

#ifdef _WIN32
// The running executable's file name, such as "quorlin-host.exe".
std::string executableName();

// The system's text for a Windows error code, on one line.
std::string systemErrorText(unsigned long code);
#endif
