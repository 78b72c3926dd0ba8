#pragma once

#include <cstdint>

// The DPI a window is laid out for, from the answers of the calls that give
// it, best first: the window's own (Windows 10 version 1607 on), its
// monitor's (Windows 8.1 on, where the manifest makes the program per-monitor
// aware too) and the system's. 0 stands for a call that is missing or gave
// nothing; with no answer at all, 96.
uint32_t ChooseWindowDpi(uint32_t windowDpi, uint32_t monitorDpi, uint32_t systemDpi);

// The height of a font of `points` at `dpi`, as the dialog manager makes a
// template's font: negative, for the character height, rounded to the
// nearest pixel.
int32_t FontHeightAtDpi(int32_t points, uint32_t dpi);
