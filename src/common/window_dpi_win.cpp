#include "common/window_dpi_win.h"

#include <cstring>

#include "common/window_dpi.h"

// The calls below are looked up at run time, so that the program still
// starts on Windows 7, which has neither.

// The window's own DPI: Windows 10 version 1607 on.
static UINT DpiOfWindow(HWND window)
{
    typedef UINT(WINAPI * GetDpiForWindowCall)(HWND);
    static const GetDpiForWindowCall getDpiForWindow = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return getDpiForWindow != NULL ? getDpiForWindow(window) : 0;
}

// Its monitor's: Windows 8.1 and 10 before 1607, which the manifest also
// makes treat the program as per-monitor aware. shcore.dll is loaded from
// the system folder by its full path, and only there, where the window's
// own call is missing.
static UINT DpiOfMonitor(HWND window)
{
    typedef HRESULT(WINAPI * GetDpiForMonitorCall)(HMONITOR, int, UINT*, UINT*);
    static GetDpiForMonitorCall getDpiForMonitor = NULL;
    static bool lookedUp = false;
    if (!lookedUp) {
        lookedUp = true;
        char path[MAX_PATH];
        UINT length = GetSystemDirectoryA(path, sizeof(path));
        const char name[] = "\\shcore.dll";
        if (length > 0 && length + sizeof(name) <= sizeof(path)) {
            memcpy(path + length, name, sizeof(name));
            HMODULE shcore = LoadLibraryA(path);
            if (shcore != NULL)
                getDpiForMonitor = reinterpret_cast<GetDpiForMonitorCall>(
                    reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        }
    }
    const int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor == NULL ||
        getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x,
                         &y) != S_OK)
        return 0;
    return y;
}

static UINT SystemDpi()
{
    HDC screen = GetDC(NULL);
    UINT dpi = screen != NULL ? (UINT)GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != NULL)
        ReleaseDC(NULL, screen);
    return dpi;
}

UINT WindowDpi(HWND window)
{
    // Each asked only when the better ones gave nothing.
    UINT windowDpi = DpiOfWindow(window);
    UINT monitorDpi = windowDpi == 0 ? DpiOfMonitor(window) : 0;
    UINT systemDpi = windowDpi == 0 && monitorDpi == 0 ? SystemDpi() : 0;
    return ChooseWindowDpi(windowDpi, monitorDpi, systemDpi);
}
