#pragma once

#include <windows.h>

// Dialog procedure of the main window (template 106). Returns FALSE for every
// message so the dialog manager's default handling always follows.
INT_PTR CALLBACK InformationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Id of the one-minute refresh timer.
enum { kRefreshTimerId = 0, kRefreshPeriodMs = 60000 };
