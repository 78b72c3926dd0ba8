// Start-up of the program: one copy per session, the disclaimer and the font,
// the start decision, then the information window and the message loop.
//
// On an unchanged computer the program ends at the start decision, having
// made no window and no font: every DLL past KERNEL32, ADVAPI32, SETUPAPI and
// the C runtime is delay-loaded (the window manager, graphics, the shell, the
// common controls, COM), so that a silent logon start pays for none of them.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "app/terms_win.h"
#include "store/history_win.h"

// Releases what start-up created before a failed step.
static void ReleaseStartupResources()
{
    if (appState.rowIconList != NULL) {
        ImageList_Destroy(appState.rowIconList);
        appState.rowIconList = NULL;
    }
    if (appState.windowIcon != NULL) {
        DestroyIcon(appState.windowIcon);
        appState.windowIcon = NULL;
    }
    if (appState.measureFont != NULL) {
        DeleteObject(appState.measureFont);
        appState.measureFont = NULL;
    }
}

// DLLs loaded later (shell and COM helpers on demand) come from the system
// folder only, never from the current or the program's folder, where a
// planted DLL could wait. Looked up at run time, so a system without the
// call still starts.
static void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesCall)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL)
        return;
    SetDefaultDllDirectoriesCall setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesCall>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories != NULL)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

static void EndCom()
{
    if (appState.comInitialized) {
        CoUninitialize();
        appState.comInitialized = 0;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    InitializeAppState(instance);

    if (!CheckSingleInstance())
        return 1;

    // COM starts here only if the disclaimer's Links dialog makes shortcuts.
    if (!AcceptTermsOnFirstRun()) {
        EndCom();
        return 1;
    }

    // Nothing changed: end as after a closed window, without saving.
    if (!ConfigurationToShow()) {
        ShutdownApplication();
        return 1;
    }

    // Only a shown window measures with the font; the row icons, their image
    // list and the window icon are made when it is about to show
    // (RenderReport).
    if (!CreateMeasureFont()) {
        ReleaseStartupResources();
        ShowStartupError("ERROR: could not create font.");
        EndCom();
        return 0;
    }

    HWND window = CreateInformationWindow();
    if (window == NULL) {
        ReleaseStartupResources();
        ShowStartupError("ERROR: could not create dialog.");
        EndCom();
        return 0;
    }

    appState.mainWindow = window;
    RunMessageLoop();
    // After a log-off this is the second save: it finds the record of the
    // first and adds nothing to the history.
    ShutdownApplication();
    ForgetSavedConfiguration();
    return 1;
}
