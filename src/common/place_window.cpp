#include "common/place_window.h"

#include <cstdio>

void ComposeDialogCaption(const char* caption, const char* name, char* out, size_t outSize)
{
    snprintf(out, outSize, "%s - %s - HOLLOWPINESTUDIO", caption, name);
}

// Keeps [start, start + size) inside [low, high), the low edge first.
static int32_t ClampEdge(int32_t start, int32_t size, int32_t low, int32_t high)
{
    if (start < low)
        return low;
    if (start + size > high)
        return high - size;
    return start;
}

PixelRect CentreInWorkArea(const PixelRect& own, bool hasParent, const PixelRect& parentWindow,
                           const PixelRect& parentRestored, const PixelRect& workArea)
{
    const PixelRect& parent = hasParent ? parentWindow : workArea;
    const PixelRect& restored = hasParent ? parentRestored : workArea;
    int32_t width = own.right - own.left;
    int32_t height = own.bottom - own.top;
    // Each half is truncated toward zero on its own, as C++ division does.
    int32_t left = restored.left + (parent.right - parent.left) / 2 - width / 2;
    int32_t top = restored.top + (parent.bottom - parent.top) / 2 - height / 2;
    left = ClampEdge(left, width, workArea.left, workArea.right);
    top = ClampEdge(top, height, workArea.top, workArea.bottom);
    return PixelRect{left, top, left + width, top + height};
}

PixelRect MoveIntoWorkArea(const PixelRect& own, int32_t x, int32_t y, const PixelRect& workArea)
{
    int32_t width = own.right - own.left;
    int32_t height = own.bottom - own.top;
    int32_t left = ClampEdge(x, width, workArea.left, workArea.right);
    int32_t top = ClampEdge(y, height, workArea.top, workArea.bottom);
    return PixelRect{left, top, left + width, top + height};
}
