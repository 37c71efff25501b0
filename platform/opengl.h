// OpenGL 1.1 as each platform declares it. Windows' header wants two macros
// that would otherwise come from <windows.h>, which the editor does not need.
#pragma once

#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#endif

#include <GL/gl.h>
