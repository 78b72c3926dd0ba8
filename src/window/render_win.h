#pragma once

#include <windows.h>

// Fills the report list from the current report (sweeping first when the
// last sweep is more than 10 seconds old), sizes the window around the rows
// and shows it. The first render makes the icons and puts it at the lower
// right corner of the work area; a later one keeps its place unless
// `toCorner`. False when the due sweep failed (the error box was shown).
bool RenderReport(HWND window, bool firstRender, bool toCorner);

// Puts every row the window shows on the clipboard as Unicode text: label,
// tab, value, CR LF (ComposeCopyText).
void CopyReport(HWND window);

// Makes the list's font, the row icons, their image list and the window
// icon again at the window's DPI, after a change of scale. A window icon that
// an open dialog still shows is kept until none does.
void RescaleWindowImages(HWND window);
