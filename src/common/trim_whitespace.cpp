#include "common/trim_whitespace.h"

#include <cstring>

// Only these three are blanks; a carriage return is content.
static bool IsBlank(char character)
{
    return character == ' ' || character == '\t' || character == '\n';
}

void TrimWhitespace(char* text)
{
    if (text == nullptr) {
        return;
    }
    size_t end = std::strlen(text);
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    text[end] = '\0';

    size_t start = 0;
    while (start < end && IsBlank(text[start])) {
        ++start;
    }
    if (start > 0) {
        std::memmove(text, text + start, end - start + 1);
    }
}
