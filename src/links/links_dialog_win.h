#pragma once

#include <windows.h>

// The dialog's private message: bring every box up to date.
const UINT WM_REFRESHLINKS = WM_APP + 2;

// Procedure of the Links dialog (template 107). Opened modally with
// DialogBoxParamA by the first-run offer (no owner) and by the Options
// dialog's menu (the Options dialog as owner).
INT_PTR CALLBACK LinksDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
