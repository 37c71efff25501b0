#include <cstdio>

#include "tools/commands/batch_render.h"
#include "tools/commands/instance_gate.h"
#include "tools/commands/render_summary.h"
#include "tools/commands/song_render.h"
#include "tools/commands/interrupt.h"
#include "tools/hosting/module_library.h"
#include "tools/commands/progress_bar.h"
#include "tools/commands/render_options.h"
#include "tools/commands/subcommands.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

int renderCommand(const Arguments& args) {
  const RenderOptions options = parseRenderOptions(args);
  if (options.help) {
    std::fputs(kRenderHelp, stdout);
    return kExitSuccess;
  }
  // From here on a stop request lets the render clean up after itself.
  catchInterrupts();
  const std::string modulePath = options.modulePath.empty() ? defaultModulePath() : options.modulePath;
  if (!options.batchListPath.empty()) return renderBatch(options, modulePath);

  const ModuleLibrary module(modulePath);
  InstanceGate instances(module);
  ProgressBar progress(!options.quiet && standardErrorIsTerminal());
  const SongResult result = renderSong(options.song, instances, {modulePath},
                                       [&](int64_t done, int64_t total) { progress.update(done, total); });
  progress.clear();
  if (!options.quiet) std::printf("%s\n", songSummary(options.song, result).c_str());
  return kExitSuccess;
}
