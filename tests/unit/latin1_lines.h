#pragma once

// An earlier build's lines converted with Latin-1 standing in for the legacy
// code page, for the unit tests and the fuzzer.

#include <string>

#include "store/legacy_lines.h"

// The converted text with its NUL, or "<refused>".
inline std::string Latin1Converted(const std::string& text)
{
    ItemList<char> out{};
    const bool converted = ConvertLegacyLines(text.c_str(), [](const char* line, size_t length, void*, ItemList<char>& out) {
        for (const unsigned char c : std::string(line, length)) c < 0x80 ? AppendItem(out, (char)c) : AppendItem(out, (char)(0xC0 | c >> 6)) && AppendItem(out, (char)(0x80 | (c & 0x3F)));
        return true; }, nullptr, out);
    const std::string result = converted ? std::string(out.items, out.count) : "<refused>";
    return FreeItems(out), result;
}
