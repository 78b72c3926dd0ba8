#include "options/options_dialog_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/app_state_win.h"
#include "common/place_window_win.h"
#include "common/join_path.h"
#include "links/links_dialog_win.h"
#include "options/donate_dialog_win.h"
#include "options/referrer_page.h"
#include "options/referrer_page_win.h"
#include "resource.h"
#include "store/snapshot_file.h"
#include "store/snapshot_store_win.h"

static const char kCopyrightLine[] = "Copyright (C) HollowpineStudio. All rights reserved.";

static const char kHelpText[] =
    "This build of Tallyview is operating in ZezedazUrod (with no option not to).\n\nWhen in "
    "network mode, Tallyview creates a folder in the current users' My Documents folder called "
    "'[hollowpinestudio]TallyviewData' and stores a data file for every computer used therein "
    "(referenced by the COMPUTERNAME). When in network mode, Tallyview will only display "
    "information if the machine configuration has altered since the last data was saved.";

static const char kVisitQuestion[] =
    "Visit the Tallyview Internet & Forum Site?\n\nPLEASE NOTE: This will generate a HTML page "
    "that can be checked for routed personal information by viewing the source. Your firewall "
    "will not be queried for permission.";

static const char kUpdateQuestion[] =
    "Check for Tallyview updates?\n\nPLEASE NOTE: This will generate a HTML page that can be "
    "checked for routed personal information by viewing the source. Your firewall will not be "
    "queried for permission.";

static void OnOptionsInit(HWND dialog)
{
    // Centred first, then moved far beyond the screen: the clamp leaves it
    // in the lower right corner of the work area.
    PlaceWindow(dialog, appState.caption, appState.windowIcon, "Options", true, 20000, 20000,
                true, SW_SHOWNORMAL);
    SetDlgItemTextA(dialog, IDC_OPTIONS_ADDRESS, kProductPageAddress);
    SendDlgItemMessageA(dialog, IDC_OPTIONS_ADDRESS, EM_SETSEL, 0,
                        (LPARAM)strlen(kProductPageAddress));
    SetDlgItemTextA(dialog, IDC_OPTIONS_VERSION, appState.caption);
    SetDlgItemTextA(dialog, IDC_OPTIONS_COPYRIGHT, kCopyrightLine);
}

// Starts the Explorer of the Windows folder by its full path: given a bare
// name the shell would look in the current folder first, which may be a
// downloads folder holding anything. The shared Windows folder: on a Remote
// Desktop host the plain call may answer a private per-user folder, which
// holds no Explorer.
static void StartExplorer(const char* parameters)
{
    char folder[MAX_PATH];
    char explorer[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder) ||
        !JoinPath(folder, length, "explorer.exe", explorer, sizeof(explorer)))
        return;
    ShellExecuteA(NULL, NULL, explorer, parameters, NULL, SW_SHOWNORMAL);
}

// Opens Explorer on the data folder without creating it; says nothing when
// there is no data folder.
static void ExploreDataFolder()
{
    ReadAppDataFolder();
    if (!appState.dataFolderAvailable)
        return;
    // Only the folder is wanted: an empty computer name keeps the file path
    // from refusing a folder that fits.
    char folderPath[2 * MAX_PATH];
    char filePath[2 * MAX_PATH];
    if (!ComposeSnapshotPaths(appState.appDataPath, "", folderPath, filePath,
                              sizeof(folderPath)) ||
        strlen(folderPath) >= MAX_PATH)
        return;
    // Quoted: a comma in a redirected AppData path would split it.
    char parameters[MAX_PATH + 2];
    snprintf(parameters, sizeof(parameters), "\"%s\"", folderPath);
    StartExplorer(parameters);
}

// Opens Explorer on the program's folder with the program file selected.
static void ExploreContainingFolder()
{
    char programPath[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, programPath, sizeof(programPath));
    // A cut path would name another file.
    if (length == 0 || length >= sizeof(programPath))
        return;
    char parameters[MAX_PATH + 16];
    snprintf(parameters, sizeof(parameters), "/select,\"%s\"", programPath);
    StartExplorer(parameters);
}

static void OpenLinksDialog(HWND dialog)
{
    DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_LINKS), dialog, LinksDialogProc,
                    0);
}

static void ShowHelp()
{
    MessageBoxA(NULL, kHelpText, appState.caption, MB_ICONINFORMATION);
}

static void VisitProductSite(HWND dialog)
{
    if (MessageBoxA(dialog, kVisitQuestion, appState.caption, MB_YESNO | MB_ICONQUESTION) ==
        IDYES)
        OpenReferrerPage(kProductPageAddress);
}

static void OpenDonateDialog(HWND dialog)
{
    DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_DONATE), dialog,
                    DonateDialogProc, 0);
}

static void CheckForUpdates()
{
    if (MessageBoxA(NULL, kUpdateQuestion, appState.caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    char address[2 * MAX_PATH];
    if (ComposeUpdateCheckAddress(kProductPageAddress, kVersionString, address, sizeof(address)))
        OpenReferrerPage(address);
}

// True for the commands this dialog handles.
static bool ProcessOptionsCommand(HWND dialog, WORD command)
{
    switch (command) {
    case IDOK:
        EndDialog(dialog, 0);
        return true;
    case IDM_EXIT:
        // Ends this dialog's loop, then the main loop and its normal shutdown.
        PostQuitMessage(0);
        return true;
    case IDM_EXPLORE_DATA:
        ExploreDataFolder();
        return true;
    case IDM_EXPLORE_FOLDER:
        ExploreContainingFolder();
        return true;
    case IDM_LINKS:
        OpenLinksDialog(dialog);
        return true;
    case IDM_HELP:
        ShowHelp();
        return true;
    case IDM_VISIT_SITE:
    case IDC_VISIT_SITE:
        VisitProductSite(dialog);
        return true;
    case IDM_DONATE:
    case IDC_DONATE:
        OpenDonateDialog(dialog);
        return true;
    case IDM_UPDATE_CHECK:
    case IDC_UPDATE_CHECK:
        CheckForUpdates();
        return true;
    }
    // IDCANCEL included: Esc leaves the dialog open.
    return false;
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnOptionsInit(dialog);
        return FALSE;
    case WM_COMMAND:
        return ProcessOptionsCommand(dialog, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}
