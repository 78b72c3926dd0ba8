#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives modal dialogs from the test thread. `body` opens them (and blocks);
// meanwhile the steps run one at a time from a thread timer inside whichever
// modal loop is waiting, each once that loop is idle, so whatever an earlier
// step posted has been handled. Once the steps are used up, any dialog of
// this thread still shown is ended and the test fails, so nothing hangs.
// Returns the number of steps that ran.
size_t RunWithSteps(const std::function<void()>& body,
                    const std::vector<std::function<void()>>& steps);

// The shown top-level dialog of this thread with exactly this caption, or
// null.
HWND FindShownDialog(const char* caption);

std::string WindowTextOf(HWND window);
