#include "store/legacy_lines.h"

#include <cstdint>
#include <cstring>

#include "store/snapshot_file.h"

size_t Utf8SequenceLength(const char* text, size_t remaining)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (remaining == 0)
        return 0;
    const unsigned char lead = bytes[0];
    size_t extra;
    uint32_t lowest;
    uint32_t point;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, lowest = 0x80, point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, lowest = 0x800, point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, lowest = 0x10000, point = lead & 0x07;
    } else {
        return 0;
    }
    if (remaining <= extra)
        return 0;
    for (size_t i = 1; i <= extra; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return 0;
        point = (point << 6) | (bytes[i] & 0x3F);
    }
    if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return 0;
    return extra + 1;
}

bool IsValidUtf8(const char* text, size_t length)
{
    for (size_t at = 0, step = 0; at < length; at += step) {
        step = Utf8SequenceLength(text + at, length - at);
        if (step == 0)
            return false;
    }
    return true;
}

bool ConvertLegacyLines(const char* storedText, LegacyLineConverter convert, void* context,
                        ItemList<char>& out)
{
    out.count = 0;
    const char* text = storedText != nullptr ? storedText : "";
    const size_t length = strlen(text);
    for (size_t at = 0; at <= length;) {
        const char* end = static_cast<const char*>(memchr(text + at, '\n', length - at));
        const size_t lineLength = end != nullptr ? (size_t)(end - (text + at)) : length - at;
        const bool kept = IsValidUtf8(text + at, lineLength);
        if (kept ? !AppendItems(out, text + at, lineLength) : !convert(text + at, lineLength, context, out))
            return false;
        if (end == nullptr)
            break;
        if (!AppendItem(out, '\n'))
            return false;
        at += lineLength + 1;
    }
    // The loaded text's limit, never inside a character (of at most four
    // bytes, so at most three steps back).
    size_t kept = out.count;
    if (kept > kStoredTextCapacity - 1) {
        kept = kStoredTextCapacity - 1;
        for (int step = 0; step < 3 && (static_cast<unsigned char>(out.items[kept]) & 0xC0) == 0x80; ++step)
            --kept;
    }
    out.count = kept;
    return AppendItem(out, '\0');
}
