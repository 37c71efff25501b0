// Where a CLAP plug-in named by its id alone is looked for: the folders of
// CLAP_PATH (separated as PATH's are), then the standard folders (~/.clap
// and /usr/lib/clap on Linux; %COMMONPROGRAMFILES%\CLAP and
// %LOCALAPPDATA%\Programs\Common\CLAP on Windows), each searched to any depth
// for files ending in .clap.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/hosting/clap/clap_module.h"

std::vector<std::string> clapFolders();

// The module of the first file, in that order, that holds the plug-in `id`.
// Files that are no working CLAP module are passed over. Throws ToolError
// (kExitBadModule) when none holds it.
std::shared_ptr<ClapModule> findClapModule(const std::string& id);
