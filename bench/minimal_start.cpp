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
// Built a third time with MINIMAL_START_FLOOR, MINIMAL_START_NO_WINDOW and
// MINIMAL_START_LIMIT, it makes no window: it reads where "AppData" is from
// the registry, the computer name, this computer's snapshot file, makes the
// queries and ends. That is all an unchanged logon must do, and it imports
// only KERNEL32, ADVAPI32, SETUPAPI and the C runtime: the windowless limit.

#include <windows.h>

#include <cstdio>

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

#ifdef MINIMAL_START_LIMIT
// The snapshot of this computer in the data folder under "AppData", read.
static bool ReadSnapshotBare()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char appData[MAX_PATH];
    DWORD size = sizeof(appData) - 1;
    LONG result = RegQueryValueExA(key, "AppData", NULL, NULL, (BYTE*)appData, &size);
    RegCloseKey(key);
    char computer[256];
    DWORD length = sizeof(computer);
    char path[2 * MAX_PATH];
    if (result != ERROR_SUCCESS || !GetComputerNameA(computer, &length))
        return false;
    appData[size] = '\0';
    snprintf(path, sizeof(path), "%s\\[hollowpinestudio]TallyviewData\\%s.txt", appData, computer);
    return ReadWholeFileBare(path);
}
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
#ifdef MINIMAL_START_NO_WINDOW
    (void)instance;
    (void)commandLine;
    if (!ReadSnapshotBare())
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
