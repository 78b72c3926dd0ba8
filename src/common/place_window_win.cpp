#include "common/place_window_win.h"

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

// Screen coordinates at both ends, like the work area: a placement
// rectangle would be measured from the work area's corner, which is not the
// screen's when a taskbar sits at the top or the left.
static void ApplyPlacement(HWND window, const PixelRect& rect, int showCommand)
{
    SetWindowPos(window, NULL, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, showCommand);
}

void PlaceWindow(HWND window, const char* caption, HICON icon, const char* name, bool centre,
                 int x, int y, bool move, int showCommand)
{
    char text[2048];
    ComposeDialogCaption(caption, name, text, sizeof(text));
    SetWindowTextA(window, text);
    SendMessageA(window, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)icon);

    if (centre) {
        RECT own;
        GetWindowRect(window, &own);
        HWND parent = GetParent(window);
        RECT parentRect = {0, 0, 0, 0};
        bool hasParent = parent != NULL && GetWindowRect(parent, &parentRect);
        PixelRect placed = CentreInWorkArea(ToPixelRect(own), hasParent, ToPixelRect(parentRect),
                                            ToPixelRect(parentRect), WorkArea());
        ApplyPlacement(window, placed, showCommand);
    }
    if (move) {
        RECT own;
        GetWindowRect(window, &own);
        ApplyPlacement(window, MoveIntoWorkArea(ToPixelRect(own), x, y, WorkArea()),
                       showCommand);
    }
}
