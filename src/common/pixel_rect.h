#pragma once

#include <cstdint>

// A rectangle in screen pixels, as Win32 gives them.
struct PixelRect {
    int32_t left, top, right, bottom;
};

// Pixels laid out for 96 dots per inch, at `dpi` (rounded to the nearest
// pixel); a dpi of 0 counts as 96.
inline int32_t ScalePixels(int32_t pixels, int32_t dpi)
{
    return dpi > 0 ? (int32_t)(((int64_t)pixels * dpi + 48) / 96) : pixels;
}
