#include "options_test_driver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Driver {
    std::vector<std::function<void()>> steps;
    size_t next;
    bool active;
    UINT_PTR timer;  // the one pending step timer
};

Driver driver;

bool IsDialogWindow(HWND window)
{
    char className[32] = {0};
    GetClassNameA(window, className, sizeof(className));
    return strcmp(className, "#32770") == 0;
}

BOOL CALLBACK EndLeftOverDialog(HWND window, LPARAM)
{
    if (IsDialogWindow(window) && IsWindowVisible(window)) {
        ADD_FAILURE() << "a dialog was left open: \"" << WindowTextOf(window) << "\"";
        EndDialog(window, 0);
    }
    return TRUE;
}

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    if (!driver.active)
        return;
    // The next timer is set first, so that it fires inside any modal loop
    // this step opens.
    driver.timer = SetTimer(NULL, 0, USER_TIMER_MINIMUM, RunNextStep);
    if (driver.next < driver.steps.size()) {
        std::function<void()> step = driver.steps[driver.next++];
        step();
    } else {
        EnumThreadWindows(GetCurrentThreadId(), EndLeftOverDialog, 0);
    }
}

}  // namespace

size_t RunWithSteps(const std::function<void()>& body,
                    const std::vector<std::function<void()>>& steps)
{
    driver.steps = steps;
    driver.next = 0;
    driver.active = true;
    driver.timer = SetTimer(NULL, 0, USER_TIMER_MINIMUM, RunNextStep);
    body();
    driver.active = false;
    KillTimer(NULL, driver.timer);
    return driver.next;
}

HWND FindShownDialog(const char* caption)
{
    HWND window = FindWindowA("#32770", caption);
    if (window == NULL || !IsWindowVisible(window) ||
        GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId())
        return NULL;
    return window;
}

std::string WindowTextOf(HWND window)
{
    char text[4096] = {0};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}
