#include "app/place_window_win.h"

#include "app/app_state_win.h"
#include "common/place_window.h"

static PixelRect ToPixelRect(const RECT& rect)
{
    return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

static PixelRect WorkArea()
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return ToPixelRect(area);
}

static void ApplyPlacement(HWND window, const PixelRect& rect, int showCommand)
{
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    placement.flags = 0;
    placement.showCmd = showCommand;
    placement.rcNormalPosition = RECT{rect.left, rect.top, rect.right, rect.bottom};
    SetWindowPlacement(window, &placement);
    ShowWindow(window, showCommand);
}

void PlaceWindow(HWND window, const char* name, bool centre, int x, int y, bool move,
                 int showCommand, bool makerFlag)
{
    char text[2048];
    ComposeDialogCaption(appState.caption, name, makerFlag, text, sizeof(text));
    SetWindowTextA(window, text);
    SendMessageA(window, WM_SETICON, ICON_SMALL, (LPARAM)appState.windowIcon);
    SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)appState.windowIcon);

    if (centre) {
        RECT own;
        GetWindowRect(window, &own);
        HWND parent = GetParent(window);
        RECT parentRect = {0, 0, 0, 0};
        WINDOWPLACEMENT parentPlacement;
        ZeroMemory(&parentPlacement, sizeof(parentPlacement));
        parentPlacement.length = sizeof(parentPlacement);
        bool hasParent = parent != NULL && GetWindowRect(parent, &parentRect) &&
                         GetWindowPlacement(parent, &parentPlacement);
        PixelRect placed =
            CentreInWorkArea(ToPixelRect(own), hasParent, ToPixelRect(parentRect),
                             ToPixelRect(parentPlacement.rcNormalPosition), WorkArea());
        ApplyPlacement(window, placed, showCommand);
    }
    if (move) {
        RECT own;
        GetWindowRect(window, &own);
        ApplyPlacement(window, MoveIntoWorkArea(ToPixelRect(own), x, y, WorkArea()),
                       showCommand);
    }
}
