#include "links/links_dialog_win.h"

#include <shlwapi.h>

#include <cstring>

#include "app/app_state_win.h"
#include "common/place_window_win.h"
#include "links/link_paths.h"
#include "links/shell_folders_win.h"
#include "links/shell_links_win.h"
#include "resource.h"

// The boxes from top to bottom: the order of every refresh and processing.
struct LinkBox {
    int checkBoxId;
    LinkLocation location;
};

static const LinkBox kLinkBoxes[kLinkLocationCount] = {
    {IDC_LINK_USER_DESKTOP, UserDesktop},
    {IDC_LINK_USER_START_MENU, UserStartMenu},
    {IDC_LINK_USER_PROGRAMS, UserPrograms},
    {IDC_LINK_USER_STARTUP, UserStartup},
    {IDC_LINK_USER_QUICK_LAUNCH, UserQuickLaunch},
    {IDC_LINK_MACHINE_DESKTOP, MachineDesktop},
    {IDC_LINK_MACHINE_START_MENU, MachineStartMenu},
    {IDC_LINK_MACHINE_PROGRAMS, MachinePrograms},
    {IDC_LINK_MACHINE_STARTUP, MachineStartup},
    {IDC_LINK_MACHINE_QUICK_LAUNCH, MachineQuickLaunch},
    {IDC_LINK_COMMON_DESKTOP, CommonDesktop},
    {IDC_LINK_COMMON_START_MENU, CommonStartMenu},
    {IDC_LINK_COMMON_PROGRAMS, CommonPrograms},
    {IDC_LINK_COMMON_STARTUP, CommonStartup},
    {IDC_LINK_COMMON_QUICK_LAUNCH, CommonQuickLaunch},
};

static void OnLinksInit(HWND dialog)
{
    PlaceWindow(dialog, appState.caption, appState.windowIcon, "Links", true, 0, 0, false,
                SW_SHOWNORMAL);
    SetDlgItemTextA(dialog, IDC_LINKS_VERSION, appState.caption);
    ReadShellFolderLocations();
    strncpy(activeLinkFileName, appState.linkFileName, kActiveLinkFileNameSize - 1);
    activeLinkFileName[kActiveLinkFileNameSize - 1] = '\0';
    SendMessageA(dialog, WM_REFRESHLINKS, 0, 0);
}

// Enabled when the folder exists, its link path fits MAX_PATH and the file
// there (if any) can be read; ticked when the link there starts this
// program. Otherwise disabled, the tick left alone.
static void RefreshLinks(HWND dialog)
{
    HCURSOR previous = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    for (const LinkBox& box : kLinkBoxes) {
        const ShellFolderLocation& location = shellFolderLocations[box.location];
        HWND checkBox = GetDlgItem(dialog, box.checkBoxId);
        char linkPath[MAX_PATH];
        bool folderUsable =
            location.found == 1 && PathIsDirectoryA(location.path) &&
            ComposeLinkPath(location.path, activeLinkFileName, linkPath, sizeof(linkPath));
        LinkFileState state = folderUsable ? ReadLinkFileState(linkPath) : LinkAbsent;
        bool usable = LinkBoxUsable(folderUsable, state);
        EnableWindow(checkBox, usable ? TRUE : FALSE);
        if (usable)
            CheckDlgButton(dialog, box.checkBoxId, LinkBoxTicked(state) ? BST_CHECKED : BST_UNCHECKED);
    }
    SetCursor(previous);
}

// Every location is handled, whatever the boxes' state or earlier failures.
static void ProcessLinks(HWND dialog)
{
    if (MessageBoxA(dialog, "Process the specified links?", appState.caption,
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    HCURSOR previous = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    for (const LinkBox& box : kLinkBoxes) {
        const char* folderPath = shellFolderLocations[box.location].path;
        if (IsDlgButtonChecked(dialog, box.checkBoxId) == BST_CHECKED)
            CreateLinkInFolder(dialog, folderPath);
        else
            DeleteLinkInFolder(dialog, folderPath);
    }
    SetCursor(previous);
    PostMessageA(dialog, WM_REFRESHLINKS, 0, 0);
    MessageBoxA(dialog, "Links Processing complete.", appState.caption, MB_ICONINFORMATION);
}

INT_PTR CALLBACK LinksDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnLinksInit(dialog);
        break;
    case WM_REFRESHLINKS:
        RefreshLinks(dialog);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PROCESS:
            ProcessLinks(dialog);
            break;
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        break;
    }
    return FALSE;
}
