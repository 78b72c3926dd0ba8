#pragma once

#include <cstddef>

// A part of a text: `length` characters from `text`, not NUL-terminated.
struct TextSlice {
    const char* text;
    size_t length;
};

// Without the spaces, tabs and line feeds at both ends, as TrimWhitespace
// leaves a text.
TextSlice TrimSlice(TextSlice slice);

// The same characters, byte for byte.
bool SlicesEqual(const TextSlice& a, const TextSlice& b);
