#pragma once

#include <windows.h>

// Dots per inch of the monitor the window is on: 96 at 100 % scaling.
UINT WindowDpi(HWND window);
