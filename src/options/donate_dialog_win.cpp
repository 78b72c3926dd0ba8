#include "options/donate_dialog_win.h"

#include <cstring>

#include "app/app_state_win.h"
#include "common/place_window_win.h"
#include "options/donation.h"
#include "options/referrer_page_win.h"
#include "resource.h"

static const size_t kDonateTextSize = 1024;

// False after warning the user and asking the program to end: the address
// the program would send money to is not the one it was built with.
static bool CheckDonationAddress(HWND dialog)
{
    if (DonationAddressIsIntact(kDonationAddress, kExpectedDonationDigest))
        return true;
    char warning[kDonateTextSize];
    ComposeDonationWarning(warning, sizeof(warning));
    MessageBoxA(dialog, warning, appState.caption, MB_ICONERROR);
    PostQuitMessage(0);
    return false;
}

// Each open Donate dialog owns the picture its button shows (more than one
// can be open: the Options dialog has no owner), so each takes its own back
// from its button when it closes.
static void ReleaseDonateBitmap(HWND dialog)
{
    HBITMAP picture = (HBITMAP)SendDlgItemMessageA(dialog, IDC_DONATE_PICTURE, BM_SETIMAGE,
                                                   IMAGE_BITMAP, 0);
    if (picture != NULL)
        DeleteObject(picture);
}

static void OnDonateInit(HWND dialog)
{
    PlaceWindow(dialog, appState.caption, appState.windowIcon, "Donate", true, 0, 0, false,
                SW_SHOWNORMAL);
    HBITMAP picture = (HBITMAP)LoadImageA(appState.instanceHandle, MAKEINTRESOURCEA(IDB_DONATE),
                                          IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    SetDlgItemTextA(dialog, IDC_DONATE_ADDRESS, kDonationAddress);
    SendDlgItemMessageA(dialog, IDC_DONATE_ADDRESS, EM_SETSEL, 0,
                        (LPARAM)strlen(kDonationAddress));
    SendDlgItemMessageA(dialog, IDC_DONATE_PICTURE, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)picture);
    CheckDonationAddress(dialog);
}

// A tampered address is never opened: the warning says so and the program
// ends.
static void OnDonatePicture(HWND dialog)
{
    if (!CheckDonationAddress(dialog))
        return;
    char confirmation[kDonateTextSize];
    ComposeDonationConfirmation(kDonationAddress, appState.caption, confirmation,
                                sizeof(confirmation));
    MessageBoxA(dialog, confirmation, appState.caption, MB_ICONINFORMATION);
    OpenReferrerPage(kDonationAddress);
}

static void OnDonateClose(HWND dialog)
{
    ReleaseDonateBitmap(dialog);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK DonateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnDonateInit(dialog);
        return FALSE;
    case WM_COMMAND:
        // Enter (IDOK) and Esc (IDCANCEL) are left alone: only the close box
        // ends the dialog.
        if (LOWORD(wParam) == IDC_DONATE_PICTURE) {
            OnDonatePicture(dialog);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        OnDonateClose(dialog);
        return TRUE;
    case WM_DESTROY:
        // Ended by a quit message rather than the close box: release it here.
        ReleaseDonateBitmap(dialog);
        break;
    }
    return FALSE;
}
