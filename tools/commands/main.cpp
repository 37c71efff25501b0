// quorlin-host: a command-line host of VST 2 and LV2 instruments. `quorlin-host SUBCOMMAND ...` runs
// one of the subcommands listed in subcommands.h.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "tools/commands/subcommands.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kToolUsage =
    "quorlin-host SUBCOMMAND [options] (SUBCOMMAND --help for its options), or quorlin-host --version";

void printToolHelp() {
  std::printf("usage: %s\n\nSubcommands:\n", kToolUsage);
  for (const Subcommand& subcommand : kSubcommands) std::printf("  %-8s %s\n", subcommand.name, subcommand.summary);
}

int run(int argc, char** argv) {
  if (argc < 2) throw usageError("no subcommand given", kToolUsage);
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printToolHelp();
    return kExitSuccess;
  }
  if (name == "--version") {
    std::printf("quorlin-host %s\n", QUORLIN_VERSION);
    return kExitSuccess;
  }
  for (const Subcommand& subcommand : kSubcommands) {
    if (name == subcommand.name) return subcommand.run(Arguments(argv + 2, argv + argc));
  }
  throw usageError("unknown subcommand '" + name + "'", kToolUsage);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const ToolError& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "quorlin-host: %s\n", error.what());
    return error.status();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quorlin-host: out of memory\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quorlin-host: %s\n", error.what());
  }
  return kExitCannotWrite;
}
