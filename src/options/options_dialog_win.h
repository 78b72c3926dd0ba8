#pragma once

#include <windows.h>

// Procedure of the Options dialog (template 109, menu 114), opened modally by
// the information window's button with no owner. Enter and the close box end
// it; Esc does not.
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
