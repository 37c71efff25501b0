// How quorlin-host ends when something goes wrong: one line on standard error
// and an exit status that scripts can tell apart.
#pragma once

#include <stdexcept>
#include <string>

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitCannotWrite = 1,    // the output file could not be written
  kExitBadInput = 2,       // a usage error, an unreadable MIDI file or an output refused
  kExitBadModule = 3,      // the plug-in module could not be loaded or started
  kExitSomeFailed = 4,     // some songs of a batch could not be rendered
  kExitNoAudio = 5,        // no audio server to play through, or it went away while playing
  kExitInterrupted = 130,  // stopped by Ctrl-C or a termination request, as shells report SIGINT
};

// A failure that ends the command; what() is the line shown after "quorlin-host: ".
class ToolError : public std::runtime_error {
 public:
  ToolError(ExitStatus status, const std::string& message) : std::runtime_error(message), status_(status) {}
  ExitStatus status() const { return status_; }

 private:
  ExitStatus status_;
};

// A file or folder named to be read that is not there. The tool reports it
// as any other failure; the Python package raises FileNotFoundError for it.
class MissingFile : public ToolError {
 public:
  using ToolError::ToolError;
};

// A command line that the subcommand cannot accept; the message carries the usage line.
inline ToolError usageError(const std::string& problem, const std::string& usage) {
  return ToolError(kExitBadInput, problem + "; usage: " + usage);
}
