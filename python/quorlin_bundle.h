// Quorlin itself, the instrument the package plays when no plug-in is named:
// the LV2 bundle it was built or installed with, so that its parameters go by
// the LV2 ports' names.
#pragma once

#include <string>

// Looks beside the package (a pip install), in the build folder above it
// (build/python/quorlin/ and build/quorlin.lv2), and in the installed tree
// (lib/python3.X/dist-packages/quorlin/ and lib/lv2/quorlin.lv2). Throws
// ToolError (kExitBadModule) naming the places when none holds it.
std::string quorlinBundlePath();
