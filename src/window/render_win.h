#pragma once

#include <windows.h>

// Fills the report list from the current report (sweeping first when the
// last sweep is more than 10 seconds old), sizes the window around the rows
// and shows it; the first render puts it at the lower right corner of the
// work area. False when the due sweep failed (the error box was shown).
bool RenderReport(HWND window, bool firstRender);

// Makes the row icons, their image list and the window icon again, at the
// window's DPI (the first render makes them once).
void ReloadWindowImages(HWND window);
