// The baseline of the silent-start benchmark: the least a Win32 program does
// to start, create a hidden dialog from a template, take the quit message and
// end. tallyview.exe on an unchanged machine does this and its sweep.
//
// Built a second time with MINIMAL_START_WITH_IMPORTS, it also imports one
// function from each DLL tallyview.exe imports, so that the loader maps the
// same DLLs: the start cost of the imports alone.

#include <windows.h>

#ifdef MINIMAL_START_WITH_IMPORTS
#include <commctrl.h>
#include <objbase.h>
#include <setupapi.h>
#include <shellapi.h>
#include <shlwapi.h>
#endif

#include "minimal_start.h"

#ifdef MINIMAL_START_WITH_IMPORTS
// Never called; read through a volatile so that the linker keeps the imports.
static const void* volatile programImports[] = {
    (const void*)&RegCloseKey,       (const void*)&InitCommonControls,
    (const void*)&DeleteObject,      (const void*)&CoInitialize,
    (const void*)&SetupDiDestroyDeviceInfoList, (const void*)&SHGetDiskFreeSpaceExA,
    (const void*)&PathIsDirectoryA,
};
#endif

static INT_PTR CALLBACK MinimalDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef MINIMAL_START_WITH_IMPORTS
    if (programImports[0] == NULL)
        return 0;
#endif
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MINIMAL_START), NULL,
                                     MinimalDialogProc, 0);
    if (dialog == NULL)
        return 0;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(dialog);
    return 1;
}
