// The silent start step by step: WinMain's steps run in the same order with
// the program's own functions and resources, each timed with
// QueryPerformanceCounter, plus the time from the creation of the process to
// main (loading the DLLs and starting the C runtime). Run in the benchmark's
// working folder on an unchanged machine, so that nothing is saved. Prints
// "step <name> <microseconds>" lines; those after "shutdown" are for
// reference, what a silent start does not pay.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>

#include "app/app_state_win.h"
#include "app/application_win.h"
#include "app/terms_win.h"
#include "common/start_com_win.h"
#include "resource.h"
#include "snapshot/sweep_win.h"
#include "window/information_window_win.h"

static LARGE_INTEGER frequency;
static double lastMark;

static double NowMicroseconds()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1e6 / (double)frequency.QuadPart;
}

static void Step(const char* name)
{
    double now = NowMicroseconds();
    printf("step %s %.0f\n", name, now - lastMark);
    lastMark = now;
}

// Microseconds since the process was created, from the system clock.
static double SinceProcessCreation()
{
    FILETIME creation, exitTime, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user))
        return 0;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = creation.dwLowDateTime;
    a.HighPart = creation.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    return b.QuadPart > a.QuadPart ? (double)(b.QuadPart - a.QuadPart) / 10.0 : 0;
}

int main()
{
    double beforeMain = SinceProcessCreation();
    QueryPerformanceFrequency(&frequency);
    printf("step process_to_main %.0f\n", beforeMain);
    lastMark = NowMicroseconds();

    InitializeAppState(GetModuleHandleA(NULL));
    if (!CheckSingleInstance()) {
        fprintf(stderr, "another copy runs\n");
        return 2;
    }
    Step("state_and_mutex");
    if (!AcceptTermsOnFirstRun()) {
        fprintf(stderr, "the disclaimer is not accepted in this folder\n");
        return 2;
    }
    Step("disclaimer_marker");
    if (ConfigurationToShow()) {
        fprintf(stderr, "the configuration changed: not a silent start\n");
        return 2;
    }
    Step("load_sweep_compare");
    ShutdownApplication();
    Step("shutdown");

    // For reference, what a silent start no longer pays: one more sweep (the
    // start decision ran the process's first), and the font (with the window
    // manager and graphics DLLs it brings in), the common controls, COM and
    // the window that a changed configuration shows.
    GetInformation();
    Step("another_sweep");
    if (!CreateMeasureFont()) {
        fprintf(stderr, "no font\n");
        return 2;
    }
    Step("font_user32_gdi32");
    InitCommonControls();
    Step("common_controls_dll");
    StartCom();
    Step("com");
    HWND window = CreateDialogParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_INFORMATION),
                                     NULL, InformationWindowProc, 0);
    Step("window_and_first_render");
    if (window == NULL) {
        fprintf(stderr, "no window\n");
        return 2;
    }
    appState.saveOnExit = 0;
    KillTimer(window, kRefreshTimerId);
    DestroyWindow(window);
    return 0;
}
