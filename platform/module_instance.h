// The module's own handle, stored when the loader maps it. The editor needs it
// for its window class, its window and its panel resource.
#pragma once

extern void* moduleInstance;
