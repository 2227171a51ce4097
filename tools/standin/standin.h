// What the parts of the stand-in DLL share inside quillmere.exe.
#pragma once

#include "base/platform.h"

// The settings window in this process, found by its caption; null before it exists.
HWND FindSettingsDialog();
