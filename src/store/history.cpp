#include "store/history.h"

#include <cstdio>
#include <cstring>

#include "common/text_slice.h"
#include "store/legacy_lines.h"

static const char kByteOrderMark[] = "\xEF\xBB\xBF";
static const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
static const size_t kLineBytes = 512;
static const size_t kLinesOfAKind = 100;

int32_t UtcOffsetMinutes(const struct tm& local, const struct tm& utc)
{
    int32_t days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    return days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}

bool FormatHistoryStamp(const struct tm& local, int32_t offsetMinutes, char* out, size_t outSize)
{
    const int32_t away = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    int written = snprintf(out, outSize, "%04d-%02d-%02d %02d:%02d:%02d %c%02d:%02d",
                           local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                           (int)(away / 60), (int)(away % 60));
    if (written < 0 || (size_t)written >= outSize) {
        if (outSize > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}

// The first `maxLines` lines of a text, trimmed.
static bool SplitTrimmedLines(const char* text, uint32_t maxLines, ItemList<TextSlice>& lines)
{
    const size_t length = strlen(text);
    for (size_t at = 0; lines.count < maxLines && at < length;) {
        const char* end = static_cast<const char*>(memchr(text + at, '\n', length - at));
        const size_t lineLength = end != nullptr ? (size_t)(end - (text + at)) : length - at;
        if (!AppendItem(lines, TrimSlice(TextSlice{text + at, lineLength})))
            return false;
        at += lineLength + 1;
    }
    return true;
}

static bool AppendText(ItemList<char>& out, const char* text)
{
    return AppendItems(out, text, strlen(text));
}

// A prefix, the line as UTF-8 within 512 bytes, CR LF.
static bool AppendEntryLine(ItemList<char>& out, const char* prefix, const TextSlice& line)
{
    if (!AppendText(out, prefix))
        return false;
    size_t written = 0;
    for (size_t at = 0; at < line.length;) {
        const size_t step = Utf8SequenceLength(line.text + at, line.length - at);
        const size_t bytes = step > 0 ? step : sizeof(kReplacement) - 1;
        if (written + bytes > kLineBytes)
            break;
        if (!AppendItems(out, step > 0 ? line.text + at : kReplacement, bytes))
            return false;
        written += bytes;
        at += step > 0 ? step : 1;
    }
    return AppendText(out, "\r\n");
}

// The unmatched lines of one kind, at most 100, then how many more.
static bool AppendKind(ItemList<char>& out, const char* prefix, const ItemList<TextSlice>& lines,
                       const bool* matched)
{
    size_t listed = 0;
    size_t more = 0;
    for (size_t i = 0; i < lines.count; ++i) {
        if (matched[i])
            continue;
        if (listed == kLinesOfAKind) {
            ++more;
        } else if (!AppendEntryLine(out, prefix, lines.items[i])) {
            return false;
        } else {
            ++listed;
        }
    }
    if (more == 0)
        return true;
    char tail[64];
    snprintf(tail, sizeof(tail), "\xE2\x80\xA6 and %lu more", (unsigned long)more);
    return AppendEntryLine(out, prefix, TextSlice{tail, strlen(tail)});
}

bool ComposeHistoryEntry(const char* record, uint32_t recordLineCount, const char* saved,
                         const char* stamp, const char* user, HistoryKind& kind,
                         ItemList<char>& entry)
{
    entry.count = 0;
    kind = HistoryNothing;
    ItemList<TextSlice> before = ItemList<TextSlice>();
    ItemList<TextSlice> after = ItemList<TextSlice>();
    bool* taken = nullptr;
    bool built = SplitTrimmedLines(record != nullptr ? record : "", recordLineCount, before) &&
                 SplitTrimmedLines(saved != nullptr ? saved : "", UINT32_MAX, after);
    if (built) {
        // One flag per line of either list: the record's first, then the save's.
        taken = new (std::nothrow) bool[before.count + after.count + 1]();
        built = taken != nullptr;
    }
    if (built) {
        bool* savedTaken = taken + before.count;
        size_t changes = 0;
        for (size_t s = 0; s < after.count; ++s) {
            for (size_t r = 0; r < before.count && !savedTaken[s]; ++r) {
                if (!taken[r] && SlicesEqual(before.items[r], after.items[s]))
                    taken[r] = savedTaken[s] = true;
            }
            changes += savedTaken[s] ? 0 : 1;
        }
        for (size_t r = 0; r < before.count; ++r)
            changes += taken[r] ? 0 : 1;
        kind = before.count == 0 ? HistoryFirst : changes > 0 ? HistoryChanged : HistoryNothing;
        if (kind != HistoryNothing) {
            char header[512];
            snprintf(header, sizeof(header), "%s  %s  %s", stamp != nullptr ? stamp : "",
                     user != nullptr ? user : "", kind == HistoryFirst ? "first" : "changed");
            built = AppendEntryLine(entry, "", TextSlice{header, strlen(header)}) &&
                    AppendKind(entry, "+ ", after, savedTaken) &&
                    AppendKind(entry, "- ", before, taken) && AppendText(entry, "\r\n");
        }
    }
    delete[] taken;
    FreeItems(before);
    FreeItems(after);
    if (!built) {
        kind = HistoryNothing;
        entry.count = 0;
    }
    return built;
}

bool UpdateHistoryFile(const char* existing, size_t existingSize, const char* entry,
                       size_t entrySize, ItemList<char>& bytes)
{
    bytes.count = 0;
    const size_t markSize = sizeof(kByteOrderMark) - 1;
    if (existingSize > 0 &&
        (existingSize < markSize || memcmp(existing, kByteOrderMark, markSize) != 0))
        return false;
    if (entrySize > kHistoryFileLimit - markSize)
        return false;
    // The oldest entries go, each up to and including the empty line that ends it.
    size_t start = existingSize > 0 ? markSize : 0;
    while (existingSize - start + entrySize > kHistoryFileLimit - markSize) {
        const char* end = nullptr;
        for (size_t at = start; at + 4 <= existingSize && end == nullptr; ++at) {
            if (memcmp(existing + at, "\r\n\r\n", 4) == 0)
                end = existing + at + 4;
        }
        start = end != nullptr ? (size_t)(end - existing) : existingSize;
    }
    return AppendItems(bytes, kByteOrderMark, markSize) &&
           AppendItems(bytes, existing + start, existingSize - start) &&
           AppendItems(bytes, entry, entrySize);
}
