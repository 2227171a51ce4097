// The one place that includes the Windows headers, for wide characters only. The Windows
// version the program is built for (Vista, 0x0600) is set by the build (cmake/windows.cmake).
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
#include <shellapi.h>
