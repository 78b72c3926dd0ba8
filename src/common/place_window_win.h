#pragma once

#include <windows.h>

// Gives a secondary dialog its caption ("<caption> - <name> - maker") and
// the program's icon, then centres it on its parent and/or moves it to
// (x, y), each time kept inside the work area.
void PlaceWindow(HWND window, const char* caption, HICON icon, const char* name, bool centre,
                 int x, int y, bool move, int showCommand);
