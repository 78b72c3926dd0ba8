#pragma once

#include "common/pixel_rect.h"

// A change of scale while the information window is open (WM_DPICHANGED).

// Whether the window sat where the first render puts it: its lower right
// corner on that of the work area, as it is now or as the last render found
// it (a scale change may move the taskbar before the window hears of it).
// Such a window goes back to the corner at its new size; one the user moved
// keeps the place Windows suggests.
bool WindowSatAtCorner(const PixelRect& window, const PixelRect& workArea,
                       const PixelRect& renderedWorkArea);

// A render for a new scale may itself move the window onto a monitor of
// another scale, which sends the next change while the first is handled.
// The nested one only asks for one more pass of the first, and the passes
// are few, so two monitors can never pass the window back and forth for ever.
struct DpiChangeGuard {
    bool active;
    bool pending;
};

// True when no change is being handled: this one is, until EndDpiChange.
// False for a nested one, which is left to the next pass.
bool BeginDpiChange(DpiChangeGuard& guard);

// After pass `pass` (from 0) of the change: whether another is due.
bool DpiChangeNeedsAnotherPass(DpiChangeGuard& guard, int pass);

void EndDpiChange(DpiChangeGuard& guard);
