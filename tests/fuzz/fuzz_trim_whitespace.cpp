// Trims any text and checks that what is left is the input without its outer
// blanks: same bytes, same place, nothing blank at either end.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/trim_whitespace.h"

static bool IsBlank(char character)
{
    return character == ' ' || character == '\t' || character == '\n';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(size + 1);
    if (size > 0) {
        std::memcpy(text.data(), data, size);
    }
    text[size] = '\0';
    // The function sees the text up to its first NUL.
    const std::vector<char> input(text);
    const size_t inputLength = std::strlen(input.data());

    TrimWhitespace(text.data());
    const size_t resultLength = std::strlen(text.data());

    size_t start = 0;
    while (start < inputLength && IsBlank(input[start])) {
        ++start;
    }
    size_t end = inputLength;
    while (end > start && IsBlank(input[end - 1])) {
        --end;
    }

    if (resultLength != end - start) {
        std::abort();
    }
    if (std::memcmp(text.data(), input.data() + start, resultLength) != 0) {
        std::abort();
    }
    if (resultLength > 0 && (IsBlank(text[0]) || IsBlank(text[resultLength - 1]))) {
        std::abort();
    }
    return 0;
}
