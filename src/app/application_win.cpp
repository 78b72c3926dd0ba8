#include "app/application_win.h"

#include <objbase.h>

#include "app/app_state_win.h"
#include "common/start_com_win.h"
#include "resource.h"
#include "store/snapshot_store_win.h"
#include "window/information_window_win.h"

bool CheckSingleInstance()
{
    // The handle is deliberately never closed.
    CreateMutexA(NULL, TRUE, appState.mutexName);
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

bool ConfigurationToShow()
{
    return !appState.dozidodUder || LoadAndCompareSnapshot();
}

HWND CreateInformationWindow()
{
    InitCommonControls();
    StartCom(appState.comInitialized);
    return CreateDialogParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_INFORMATION), NULL,
                              InformationWindowProc, 0);
}

bool CreateMeasureFont()
{
    appState.measureFont = CreateFontA(10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 0, 0, 0,
                                       0, 0, "MS Sans Serif");
    return appState.measureFont != NULL;
}

void RunMessageLoop()
{
    bool quitTaken = false;
    MSG message;
    // Ctrl+C copies; freed with the program.
    HACCEL accelerators = LoadAcceleratorsA(appState.instanceHandle, MAKEINTRESOURCEA(IDA_INFORMATION));
    while (!quitTaken) {
        WaitMessage();
        // Drain the queue; no dialog keyboard handling in the main window.
        while (PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE)) {
            GetMessageA(&message, NULL, 0, 0);
            if (accelerators != NULL &&
                TranslateAcceleratorA(appState.mainWindow, accelerators, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (message.message == WM_QUIT)
                quitTaken = true;
        }
    }
}

void ShutdownApplication()
{
    if (appState.dozidodUder && appState.saveOnExit)
        SaveSnapshot();

    if (appState.windowIcon != NULL) {
        DestroyIcon(appState.windowIcon);
        appState.windowIcon = NULL;
    }
    if (appState.measureFont != NULL) {
        DeleteObject(appState.measureFont);
        appState.measureFont = NULL;
    }
    if (appState.mainWindow != NULL) {
        EndDialog(appState.mainWindow, 0);
        DestroyWindow(appState.mainWindow);
        appState.mainWindow = NULL;
    }
    // Used by the list and the dialogs until they are gone.
    if (appState.listFont != NULL) {
        DeleteObject(appState.listFont);
        appState.listFont = NULL;
    }
    for (size_t i = 0; i < appState.retiredIcons.count; ++i)
        DestroyIcon(appState.retiredIcons.items[i]);
    FreeItems(appState.retiredIcons);
    if (appState.comInitialized) {
        CoUninitialize();
        appState.comInitialized = 0;
    }
    FreeReport(appState.report);
    delete[] appState.storedLineMatched;
    appState.storedLineMatched = NULL;
    if (appState.rowIconList != NULL) {
        ImageList_Destroy(appState.rowIconList);
        appState.rowIconList = NULL;
    }
}

void ShowStartupError(const char* text)
{
    MessageBoxA(NULL, text, appState.caption, MB_ICONWARNING | MB_OK);
}
