#pragma once

#include <windows.h>

// Picture of the donation button: loaded when the Donate dialog opens and
// deleted when it closes. Null while the dialog is not open.
extern HBITMAP donateButtonBitmap;

// Procedure of the Donate dialog (template 115), opened modally by the
// Options dialog with itself as owner. Only the close box ends it.
INT_PTR CALLBACK DonateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
