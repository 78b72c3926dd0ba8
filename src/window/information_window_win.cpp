#include "window/information_window_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "options/options_dialog_win.h"
#include "resource.h"
#include "window/render_win.h"

static void InsertReportColumns(HWND list)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_WIDTH | LVCF_SUBITEM | LVCF_IMAGE | LVCF_ORDER;
    column.cx = 50;
    column.iSubItem = 0;
    column.iImage = 0;
    column.iOrder = 0;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);

    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_WIDTH | LVCF_SUBITEM | LVCF_ORDER;
    column.cx = 50;
    column.iSubItem = 1;
    column.iOrder = 1;
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, (LPARAM)&column);
}

static void OnInformationInit(HWND window)
{
    ShowWindow(window, SW_HIDE);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    SetWindowTextA(window, appState.caption);

    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    InsertReportColumns(list);

    SetTimer(window, kRefreshTimerId, kRefreshPeriodMs, NULL);

    // Start-up has decided that the window is shown (ConfigurationToShow);
    // in network mode its configuration is saved when the program ends.
    if (!RenderReport(window, true))
        PostQuitMessage(0);
    if (appState.dozidodUder)
        appState.saveOnExit = 1;
}

static void OnInformationClose(HWND window)
{
    KillTimer(window, kRefreshTimerId);
    PostQuitMessage(0);
}

static void OpenOptionsDialog(HWND window)
{
    // No owner: this window stays enabled and its timer keeps running.
    DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_OPTIONS), NULL,
                    OptionsDialogProc, 0);
    SetActiveWindow(window);
}

// Moved to a monitor of another scale: the suggested rectangle, then the
// icons and every pixel figure at the new DPI.
static void OnInformationDpiChanged(HWND window, const RECT& suggested)
{
    SetWindowPos(window, NULL, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ReloadWindowImages(window);
    if (!appState.renderErrorShowing && !RenderReport(window, false))
        PostQuitMessage(0);
}

INT_PTR CALLBACK InformationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInformationInit(window);
        break;
    case WM_TIMER:
        // Nothing while a failed render's box is up: that box already ends
        // the program once it is closed.
        if (!appState.renderErrorShowing && !RenderReport(window, false))
            PostQuitMessage(0);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OPTIONS_BUTTON:
            OpenOptionsDialog(window);
            break;
        case IDOK:
            OnInformationClose(window);
            break;
        }
        break;
    case WM_CLOSE:
        OnInformationClose(window);
        break;
    case WM_DPICHANGED:
        OnInformationDpiChanged(window, *reinterpret_cast<const RECT*>(lParam));
        break;
    case WM_QUERYENDSESSION:
        // Save before the log-off completes; FALSE lets the default
        // handling agree to it.
        KillTimer(window, kRefreshTimerId);
        ShutdownApplication();
        PostQuitMessage(0);
        break;
    }
    return FALSE;
}
