#pragma once

#include <windows.h>

// Procedure of the Donate dialog (template 115), opened modally by the
// Options dialog with itself as owner. Only the close box ends it.
INT_PTR CALLBACK DonateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
