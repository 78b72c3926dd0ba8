// The baselines of the silent-start benchmark: the least a Win32 program does
// to start, create a hidden dialog from a template, take the quit message and
// end. tallyview.exe on an unchanged machine makes no window at all.
//
// Built a second time with MINIMAL_START_FLOOR, its dialog's initialisation
// reads the file named on the command line (the saved snapshot) and makes the
// platform queries of one sweep, bare: the floor of a silent start, what any
// program that answers the same questions pays in a fresh process. It ends
// with 0 instead of 1 when the file cannot be read.
//
// Built a third time with MINIMAL_START_FLOOR and MINIMAL_START_NO_WINDOW, it
// reads the file and makes the queries without making any window: the floor
// of a start that, like tallyview.exe's silent one, shows nothing.

#include <windows.h>

#ifdef MINIMAL_START_FLOOR
#include "bare_sweep_win.h"
#endif

#include "minimal_start.h"

#ifndef MINIMAL_START_NO_WINDOW
static INT_PTR CALLBACK MinimalDialogProc(HWND, UINT message, WPARAM, LPARAM parameter)
{
    switch (message) {
    case WM_INITDIALOG:
#ifdef MINIMAL_START_FLOOR
        if (!ReadWholeFileBare(reinterpret_cast<const char*>(parameter))) {
            PostQuitMessage(1);
            return TRUE;
        }
        RunBareSweep();
#else
        (void)parameter;
#endif
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
#ifdef MINIMAL_START_NO_WINDOW
    (void)instance;
    if (!ReadWholeFileBare(commandLine))
        return 0;
    RunBareSweep();
    return 1;
#else
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MINIMAL_START), NULL,
                                     MinimalDialogProc, (LPARAM)commandLine);
    if (dialog == NULL)
        return 0;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(dialog);
    return message.wParam == 0 ? 1 : 0;
#endif
}
