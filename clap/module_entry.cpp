// The module's one export, clap_entry (declared for export in clap_abi.h):
// what a host looks up when it loads quorlin.clap. Loading asks for nothing
// (init and deinit, which a host may call more than once, have nothing to
// do); the factories are built in.
#include "clap/interface/clap_abi.h"
#include "clap/module_factories.h"

namespace {

bool CLAP_ABI init(const char*) { return true; }
void CLAP_ABI deinit() {}
const void* CLAP_ABI factory(const char* id) { return moduleFactory(id); }

}  // namespace

const clap_plugin_entry_t clap_entry = {CLAP_VERSION, init, deinit, factory};
