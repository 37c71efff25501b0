// The few operating-system services the tool needs beyond standard C++.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// The folder that holds the running executable, without a trailing separator.
std::string executableDirectory();

// True when standard error goes to a terminal (where a progress bar makes sense).
bool standardErrorIsTerminal();

// Creates a new file under `path` and opens it for writing. Fails when
// anything already has that name, a link included, so that nothing is ever
// written through one. On failure returns null, the system's reason in
// `failure` and whether the name was taken in `nameTaken`.
std::FILE* createNewFile(const std::string& path, bool& nameTaken, std::string& failure);

// Which file a path names once links are followed: two names of one file
// (a link, another spelling, another hard link) give the same identity.
struct FileIdentity {
  bool exists = false;
  bool isDirectory = false;
  bool isRegularFile = false;  // not a folder, pipe or device: it can be read twice
  bool identified = false;  // volume and file are known
  uint64_t volume = 0;
  uint64_t file = 0;
};
FileIdentity identifyFile(const std::string& path);

inline bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.identified && b.identified && a.volume == b.volume && a.file == b.file;
}

// A text read as its bytes arrive, through a file descriptor: a file, a
// named pipe or standard input (kStandardInput).
constexpr int kStandardInput = 0;
// Opens `path` for reading without waiting for a named pipe's writer to
// appear. Returns the descriptor, or -1 with errno set.
int openForReading(const std::string& path);
// Waits at most `timeout` for something to read (bytes, or the end): false
// when nothing came in that time or a signal came first. Windows cannot tell
// for a pipe and answers true at once; there the read waits.
bool waitForInput(int descriptor, std::chrono::milliseconds timeout);
// Reads up to `size` bytes: how many, 0 at the end, or -1 with errno set.
long readInput(int descriptor, void* buffer, size_t size);
void closeInput(int descriptor);

// Cuts an open file back to its first `size` bytes. Returns an empty string,
// or the system's reason for failing.
std::string cutFile(std::FILE* stream, uint64_t size);

// Gives the finished file `from` the name `to`, replacing any file of that name.
// Returns an empty string, or the system's reason for failing.
std::string replaceFile(const std::string& from, const std::string& to);

// Windows ends a console program a few seconds after its console window is
// closed (or the user logs off), with no signal: runs `cleanUp` first. On other
// systems the terminal closing sends SIGHUP instead, and this does nothing.
void onConsoleClose(void (*cleanUp)());

#ifndef _WIN32
// Runs `work` with standard error (the file descriptor, so a library's own
// prints too) going to a file, and returns what was written there. For
// libraries that report problems only by printing them.
std::string captureStandardError(const std::function<void()>& work);
#endif

#ifdef _WIN32
// The running executable's file name, such as "quorlin-host.exe".
std::string executableName();

// The system's text for a Windows error code, on one line.
std::string systemErrorText(unsigned long code);
#endif
