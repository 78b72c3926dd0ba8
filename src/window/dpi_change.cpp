#include "window/dpi_change.h"

bool WindowSatAtCorner(const PixelRect& window, const PixelRect& workArea,
                       const PixelRect& renderedWorkArea)
{
    return (window.right == workArea.right && window.bottom == workArea.bottom) ||
           (window.right == renderedWorkArea.right && window.bottom == renderedWorkArea.bottom);
}

bool BeginDpiChange(DpiChangeGuard& guard)
{
    if (guard.active) {
        guard.pending = true;
        return false;
    }
    guard.active = true;
    guard.pending = false;
    return true;
}

bool DpiChangeNeedsAnotherPass(DpiChangeGuard& guard, int pass)
{
    const bool again = guard.pending && pass < 2;
    guard.pending = false;
    return again;
}

void EndDpiChange(DpiChangeGuard& guard)
{
    guard.active = false;
    guard.pending = false;
}
