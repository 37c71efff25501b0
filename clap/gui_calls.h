// The host's gui and timer calls on a plug-in, each handed to its editor.
#pragma once

#include "clap/interface/clap_abi_extensions.h"

extern const clap_plugin_gui_t kGuiCalls;
extern const clap_plugin_timer_support_t kTimerCalls;
