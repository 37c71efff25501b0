// A host that draws with OpenGL itself, as most do.
#pragma once

/// Gives the host an OpenGL context of its own on a connection of its own,
/// both kept until the process ends. Mesa's driver then stays loaded however
/// often the editor connects and disconnects, and what the driver keeps for
/// itself stays reachable rather than being reported as the module's leak at
/// exit. Safe to call more than once.
void keepHostGlContextAlive();
