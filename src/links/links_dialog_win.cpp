#include "links/links_dialog_win.h"

#include "app/place_window_win.h"

// Placeholder until the shortcut manager is in: the dialog opens and closes.
INT_PTR CALLBACK LinksDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        PlaceWindow(dialog, "Links", true, 0, 0, false, SW_SHOWNORMAL, true);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        break;
    }
    return FALSE;
}
