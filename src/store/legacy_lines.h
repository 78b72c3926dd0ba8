#pragma once

#include <cstddef>

#include "common/item_list.h"

// Snapshots of the earlier build hold their lines in the system's legacy ANSI
// code page; this build, where UTF-8 is the ANSI code page, writes UTF-8. A
// line of the earlier build with a letter outside ASCII ("Données",
// "Система") is then no valid UTF-8, which tells the two apart.

// Whether the bytes are UTF-8 as Windows writes it: no overlong form, no
// surrogate, nothing past U+10FFFF, no sequence cut short.
bool IsValidUtf8(const char* text, size_t length);

// The bytes of the valid UTF-8 character at `text` (of `remaining` bytes);
// 0 when none starts there.
size_t Utf8SequenceLength(const char* text, size_t remaining);

// Appends one line of the earlier build (`length` bytes, no line feed) to
// `out` as UTF-8. False when there was no memory for it.
typedef bool (*LegacyLineConverter)(const char* line, size_t length, void* context,
                                    ItemList<char>& out);

// The loaded text in `out` (in place of what it held), with every line that
// is not valid UTF-8 converted by `convert` and the others as they are; then
// cut, at a character boundary, to the loaded text's limit of 127999 bytes,
// and ended by a NUL that `out.count` includes. False when there was no
// memory for it.
bool ConvertLegacyLines(const char* storedText, LegacyLineConverter convert, void* context,
                        ItemList<char>& out);
