#include <cstdio>

#include "tools/commands/batch_render.h"
#include "tools/commands/instance_gate.h"
#include "tools/commands/render_summary.h"
#include "tools/commands/song_render.h"
#include "tools/commands/interrupt.h"
#include "tools/hosting/instrument_plugin.h"
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
  const std::string pluginName = options.pluginName.empty() ? defaultPluginName() : options.pluginName;
  if (!options.batchListPath.empty()) return renderBatch(options, pluginName);

  const std::unique_ptr<InstrumentPlugin> plugin = loadInstrumentPlugin(pluginName);
  InstanceGate instances(*plugin);
  ProgressBar progress(!options.quiet && standardErrorIsTerminal());
  const SongResult result = renderSong(options.song, instances, plugin->files(),
                                       [&](int64_t done, int64_t total) { progress.update(done, total); });
  progress.clear();
  if (!options.quiet) std::printf("%s\n", songSummary(options.song, result).c_str());
  return kExitSuccess;
}
