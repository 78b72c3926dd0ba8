#include "common/window_dpi_win.h"

UINT WindowDpi(HWND window)
{
    // The per-monitor call exists from Windows 10 version 1607 on; looked up
    // at run time so that the program still starts on Windows 7 and 8.1,
    // where every window has the system's DPI.
    typedef UINT(WINAPI * GetDpiForWindowCall)(HWND);
    static const GetDpiForWindowCall getDpiForWindow = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    UINT dpi = getDpiForWindow != NULL ? getDpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC screen = GetDC(NULL);
        dpi = screen != NULL ? (UINT)GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen != NULL)
            ReleaseDC(NULL, screen);
    }
    return dpi > 0 ? dpi : 96;
}
