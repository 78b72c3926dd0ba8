#include "app/application_win.h"

#include <objbase.h>

#include "app/app_state_win.h"
#include "resource.h"
#include "store/snapshot_store_win.h"
#include "window/information_window_win.h"

bool CheckSingleInstance()
{
    // The handle is deliberately never closed.
    CreateMutexA(NULL, TRUE, appState.mutexName);
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

void LoadRowIcons()
{
    static const WORD kRowIconIds[kRowIconCount] = {
        IDI_ROW_SHADE0, IDI_ROW_SHADE1, IDI_ROW_CHANGED0, IDI_ROW_CHANGED1, IDI_ROW_MISSING};

    for (int i = 0; i < kRowIconCount; ++i) {
        appState.rowIcons[i] = (HICON)LoadImageA(appState.instanceHandle,
                                                 MAKEINTRESOURCEA(kRowIconIds[i]),
                                                 IMAGE_ICON, 16, 16, 0);
    }
    // Grow value 0: the list still takes all five icons, one at a time.
    appState.rowIconList = ImageList_Create(16, 16, ILC_COLORDDB | ILC_MASK, 2, 0);
    for (int i = 0; i < kRowIconCount; ++i) {
        if (appState.rowIconList != NULL && appState.rowIcons[i] != NULL)
            ImageList_ReplaceIcon(appState.rowIconList, -1, appState.rowIcons[i]);
    }
    // The image list holds its own copies.
    for (int i = 0; i < kRowIconCount; ++i) {
        if (appState.rowIcons[i] != NULL) {
            DestroyIcon(appState.rowIcons[i]);
            appState.rowIcons[i] = NULL;
        }
    }
}

void StartCom()
{
    if (appState.comInitialized)
        return;
    CoInitialize(NULL);
    appState.comInitialized = 1;
}

bool ConfigurationToShow()
{
    return !appState.dozidodUder || LoadAndCompareSnapshot();
}

HWND CreateInformationWindow()
{
    InitCommonControls();
    StartCom();
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
    while (!quitTaken) {
        WaitMessage();
        // Drain the queue; no dialog keyboard handling in the main window.
        while (PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE)) {
            GetMessageA(&message, NULL, 0, 0);
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
