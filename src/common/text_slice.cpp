#include "common/text_slice.h"

#include <cstring>

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

TextSlice TrimSlice(TextSlice slice)
{
    while (slice.length > 0 && IsBlank(slice.text[slice.length - 1]))
        --slice.length;
    while (slice.length > 0 && IsBlank(*slice.text)) {
        ++slice.text;
        --slice.length;
    }
    return slice;
}

bool SlicesEqual(const TextSlice& a, const TextSlice& b)
{
    return a.length == b.length && (a.length == 0 || memcmp(a.text, b.text, a.length) == 0);
}
