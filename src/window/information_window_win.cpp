#include "window/information_window_win.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "options/options_dialog_win.h"
#include "resource.h"
#include "window/dpi_change.h"
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

// The window lays itself out at every scale (RenderReport). From Windows 10
// version 1703 on, the dialog manager would also resize it and its controls
// and send them a new font after that, when the program has already measured
// in the old one: texts cut and the bar misplaced until the next refresh. So
// it is told not to; Options, Links and Donate keep its scaling. Looked up at
// run time, as older systems lack the calls.
static void OptOutOfDialogScaling(HWND window)
{
    typedef BOOL(WINAPI * SetBehaviorCall)(HWND, int, int);
    const int kDialogDisableAll = 1;           // DDC_DISABLE_ALL
    const int kControlKeepFontAndPlace = 3;    // DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT
    HMODULE user32 = GetModuleHandleA("user32.dll");
    SetBehaviorCall setDialog = reinterpret_cast<SetBehaviorCall>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetDialogDpiChangeBehavior")));
    SetBehaviorCall setControl = reinterpret_cast<SetBehaviorCall>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetDialogControlDpiChangeBehavior")));
    if (setDialog != NULL)
        setDialog(window, kDialogDisableAll, kDialogDisableAll);
    if (setControl != NULL) {
        setControl(GetDlgItem(window, IDC_REPORT_LIST), kControlKeepFontAndPlace,
                   kControlKeepFontAndPlace);
        setControl(GetDlgItem(window, IDC_OPTIONS_BUTTON), kControlKeepFontAndPlace,
                   kControlKeepFontAndPlace);
    }
}

// The bar under the list draws no text, so a screen reader would announce
// only "button": it is named "Options" through the accessibility property
// service (COM loads it when the window first shows). Where the service is
// missing or refuses, the bar works as before.
static void NameOptionsBar(HWND window)
{
    IAccPropServices* services = NULL;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, NULL, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, (void**)&services)))
        return;
    if (SUCCEEDED(services->SetHwndPropStr(GetDlgItem(window, IDC_OPTIONS_BUTTON), (DWORD)OBJID_CLIENT,
                                           CHILDID_SELF, PROPID_ACC_NAME, L"Options")))
        appState.accessibility = services;
    else
        services->Release();
}

static void OnInformationDestroy(HWND window)
{
    if (appState.accessibility == NULL)
        return;
    MSAAPROPID name = PROPID_ACC_NAME;
    appState.accessibility->ClearHwndProps(GetDlgItem(window, IDC_OPTIONS_BUTTON), (DWORD)OBJID_CLIENT,
                                           CHILDID_SELF, &name, 1);
    appState.accessibility->Release();
    appState.accessibility = NULL;
}

static void OnInformationInit(HWND window)
{
    ShowWindow(window, SW_HIDE);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    SetWindowTextA(window, appState.caption);

    HWND list = GetDlgItem(window, IDC_REPORT_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    InsertReportColumns(list);
    OptOutOfDialogScaling(window);
    // Copy, in the window menu under the caption (and Ctrl+C).
    HMENU windowMenu = GetSystemMenu(window, FALSE);
    AppendMenuA(windowMenu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(windowMenu, MF_STRING, IDM_COPY, "Copy");
    NameOptionsBar(window);

    SetTimer(window, kRefreshTimerId, kRefreshPeriodMs, NULL);

    // Start-up has decided that the window is shown (ConfigurationToShow);
    // in network mode its configuration is saved when the program ends.
    if (!RenderReport(window, true, true))
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

static PixelRect ToPixelRect(const RECT& rect)
{
    return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

// Moved to a monitor of another scale, or the scale changed: the suggested
// rectangle, then the list's font, the icons and every pixel figure at the
// new DPI (GetDpiForWindow answers it already), in one render. A window that
// sat at the corner goes back to it; one the user moved keeps the suggested
// place. A change that this render brings about itself, by moving the
// window onto another monitor, is rendered for in one more pass.
static void OnInformationDpiChanged(HWND window, const RECT& suggested)
{
    if (!BeginDpiChange(appState.dpiChange))
        return;
    RECT current;
    RECT workArea;
    GetWindowRect(window, &current);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const bool toCorner = WindowSatAtCorner(ToPixelRect(current), ToPixelRect(workArea),
                                            appState.renderedWorkArea);
    SetWindowPos(window, NULL, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (int pass = 0;; ++pass) {
        RescaleWindowImages(window);
        if (appState.renderErrorShowing)
            break;
        if (!RenderReport(window, false, toCorner)) {
            PostQuitMessage(0);
            break;
        }
        if (!DpiChangeNeedsAnotherPass(appState.dpiChange, pass))
            break;
    }
    EndDpiChange(appState.dpiChange);
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
        if (!appState.renderErrorShowing && !RenderReport(window, false, false))
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
        case IDM_COPY:
            CopyReport(window);
            break;
        }
        break;
    case WM_SYSCOMMAND:
        // The system keeps the low four bits for itself.
        if ((wParam & 0xFFF0) == IDM_COPY)
            CopyReport(window);
        break;
    case WM_DESTROY:
        OnInformationDestroy(window);
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
