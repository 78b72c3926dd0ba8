#pragma once

#include <cstddef>
#include <cstdint>

#include "common/pixel_rect.h"

// Caption of a secondary dialog: "<caption> - <name> - HOLLOWPINESTUDIO".
void ComposeDialogCaption(const char* caption, const char* name, char* out, size_t outSize);

// Centres a window of the size of `own` on its parent: the parent's restored
// position plus half the parent's size, less half the window's size, each
// half truncated toward zero. Without a parent the work area stands in for
// both. Then pulled into the work area, left and top edge first; a window
// larger than the work area may still stick out on one side.
PixelRect CentreInWorkArea(const PixelRect& own, bool hasParent, const PixelRect& parentWindow,
                           const PixelRect& parentRestored, const PixelRect& workArea);

// Moves a window of the size of `own` to (x, y), pulled into the work area
// the same way.
PixelRect MoveIntoWorkArea(const PixelRect& own, int32_t x, int32_t y, const PixelRect& workArea);
