#pragma once

#include <cstdint>

// A rectangle in screen pixels, as Win32 gives them.
struct PixelRect {
    int32_t left, top, right, bottom;
};
