#include "window/render_plan.h"

#include <cstring>

// Longest line a working buffer holds; longer lines are cut there.
static const size_t kLineLimit = 127999;
// Stored lines are scanned no further than the capacity of the loaded text.
static const size_t kStoredScanLimit = 128000;

static const char kMissingLabel[] = "MISSING";

static TextSlice CutLine(const char* text, size_t length)
{
    return TextSlice{text, length < kLineLimit ? length : kLineLimit};
}


// Reads the line at `position` of a text and moves past its line feed.
struct LineReader {
    const char* text;
    size_t length;
    size_t position;
};

static LineReader MakeReader(const char* text)
{
    return LineReader{text != nullptr ? text : "", text != nullptr ? strlen(text) : 0, 0};
}

static bool AtEnd(const LineReader& reader)
{
    return reader.position >= reader.length;
}

// The next line, without its line feed; empty once the text is used up.
// `endedText` tells whether the line ran to the end of the text.
static TextSlice NextLine(LineReader& reader, bool* endedText = nullptr)
{
    if (AtEnd(reader)) {
        if (endedText != nullptr)
            *endedText = true;
        return TextSlice{reader.text + reader.length, 0};
    }
    const char* start = reader.text + reader.position;
    const char* feed = static_cast<const char*>(
        memchr(start, '\n', reader.length - reader.position));
    size_t lineLength = feed != nullptr ? (size_t)(feed - start) : reader.length - reader.position;
    reader.position += lineLength;
    if (endedText != nullptr)
        *endedText = feed == nullptr;
    if (feed != nullptr)
        ++reader.position;
    return CutLine(start, lineLength);
}

// Length of the stored line at `position`: up to the next line feed, the end
// of the text or the scan limit; past the end of the text it is empty.
static size_t StoredLineLength(const char* text, size_t length, size_t position)
{
    if (position >= length)
        return 0;
    const char* start = text + position;
    const char* feed = static_cast<const char*>(memchr(start, '\n', length - position));
    size_t lineLength = feed != nullptr ? (size_t)(feed - start) : length - position;
    if (position + lineLength > kStoredScanLimit)
        lineLength = kStoredScanLimit - position;
    return lineLength;
}

// The stored lines, trimmed, exactly as the "MISSING" rows list them, so that
// a row can take any line that would otherwise be shown as missing (also the
// empty line after a final line feed, or the one line of an empty text).
static bool SplitStoredLines(const StoredSnapshot& stored, ItemList<TextSlice>& lines)
{
    lines.count = 0;
    const char* text = stored.storedText != nullptr ? stored.storedText : "";
    size_t length = strlen(text);
    size_t position = 0;
    for (uint32_t m = 0; m < stored.storedLineCount && position < kStoredScanLimit; ++m) {
        size_t lineLength = StoredLineLength(text, length, position);
        if (!AppendItem(lines, TrimSlice(CutLine(text + (position < length ? position : length), lineLength))))
            return false;
        position += lineLength + 1;
    }
    return true;
}

// Index of the first stored line equal to `record` that no row has taken
// yet, or -1.
static int64_t TakeStoredLine(const TextSlice& record, const ItemList<TextSlice>& lines,
                              int32_t* matched)
{
    if (matched == nullptr)
        return -1;
    for (size_t m = 0; m < lines.count; ++m) {
        if (matched[m] == 0 && SlicesEqual(lines.items[m], record)) {
            matched[m] = 1;
            return (int64_t)m;
        }
    }
    return -1;
}

static bool PlanDataRows(const SnapshotReport& report, const ItemList<TextSlice>& storedLines,
                         const StoredSnapshot& stored, bool compare, RenderPlan& plan)
{
    LineReader labels = MakeReader(report.labelText.text);
    LineReader values = MakeReader(report.valueText.text);
    LineReader records = MakeReader(report.recordText.text);
    if (AtEnd(values))
        return true;

    for (int32_t row = 0;; ++row) {
        int32_t icon = row < report.iconCount ? report.iconIndexes[row] : 0;
        bool configuration = row < report.rowKindCount && report.rowKinds[row] == 1;
        if (compare && configuration) {
            TextSlice record = TrimSlice(NextLine(records));
            if (TakeStoredLine(record, storedLines, stored.storedLineMatched) < 0)
                icon += kChangedIconOffset;
        }
        PlannedRow planned;
        planned.label = NextLine(labels);
        bool lastRow = false;
        planned.value = NextLine(values, &lastRow);
        planned.icon = icon;
        if (!AppendItem(plan.rows, planned))
            return false;
        // The last line has no line feed, so it adds nothing to the counter.
        // A text ending in a line feed ends with an empty row (a last value
        // that was empty), which is still a row.
        if (lastRow)
            return true;
        ++plan.rowCounter;
    }
}

static bool PlanMissingRows(const StoredSnapshot& stored, RenderPlan& plan)
{
    const char* text = stored.storedText != nullptr ? stored.storedText : "";
    size_t length = strlen(text);
    size_t position = 0;
    for (uint32_t m = 0; m < stored.storedLineCount && position < kStoredScanLimit; ++m) {
        size_t lineLength = StoredLineLength(text, length, position);
        bool matched = stored.storedLineMatched != nullptr && stored.storedLineMatched[m] == 1;
        if (!matched) {
            ++plan.missingCount;
            PlannedRow row;
            row.label = TextSlice{kMissingLabel, sizeof(kMissingLabel) - 1};
            row.value = CutLine(text + (position < length ? position : length), lineLength);
            row.icon = kMissingIcon;
            if (!AppendItem(plan.rows, row))
                return false;
        }
        position += lineLength + 1;
    }
    return true;
}

bool PlanReportRows(const SnapshotReport& report, const StoredSnapshot& stored, bool compare,
                    RenderPlan& plan)
{
    plan.rows.count = 0;
    plan.rowCounter = 0;
    plan.missingCount = 0;

    if (stored.storedLineMatched != nullptr)
        memset(stored.storedLineMatched, 0, stored.storedLineCount * sizeof(int32_t));

    // Room for every row and stored line at once: one block each, so that a
    // render of many stored lines does not grow its lists step by step.
    const size_t storedCount = compare ? stored.storedLineCount : 0;
    ItemList<TextSlice> storedLines = ItemList<TextSlice>();
    bool planned = ReserveItems(plan.rows, (size_t)CountReportLines(report.valueText) + storedCount) &&
                   ReserveItems(storedLines, storedCount) &&
                   (!compare || SplitStoredLines(stored, storedLines)) &&
                   PlanDataRows(report, storedLines, stored, compare, plan) &&
                   (!compare || PlanMissingRows(stored, plan));
    FreeItems(storedLines);
    return planned;
}

void FreeRenderPlan(RenderPlan& plan)
{
    FreeItems(plan.rows);
}

bool ComposeCopyText(const RenderPlan& plan, ItemList<char>& text)
{
    text.count = 0;
    bool composed = true;
    for (size_t i = 0; i < plan.rows.count && composed; ++i) {
        const PlannedRow& row = plan.rows.items[i];
        composed = AppendItems(text, row.label.text, row.label.length) && AppendItem(text, '\t') &&
                   AppendItems(text, row.value.text, row.value.length) &&
                   AppendItems(text, "\r\n", 2);
    }
    return composed && AppendItem(text, '\0');
}

void ComputeWindowLayout(const RenderMeasures& measures, int32_t rowCounter,
                         int32_t missingCount, const PixelRect& workArea, WindowLayout& layout)
{
    const int32_t dpi = measures.dpi;
    const int32_t rowHeight = measures.rowHeight > 0 ? measures.rowHeight : ScalePixels(17, dpi);
    // Room for the row icon before the label.
    layout.labelWidth = measures.labelTextWidth + ScalePixels(16, dpi);
    layout.valueWidth = measures.valueTextWidth;
    // The "MISSING" rows show stored lines: make room for the widest.
    if (!measures.storedTextEmpty && measures.storedTextWidth > layout.valueWidth)
        layout.valueWidth = measures.storedTextWidth;

    layout.windowWidth = layout.valueWidth + layout.labelWidth + ScalePixels(65, dpi);
    layout.windowHeight =
        rowHeight * (rowCounter + missingCount) + measures.titleBarHeight + ScalePixels(69, dpi);
    layout.windowLeft = workArea.right - layout.windowWidth;
    layout.windowTop = workArea.bottom - layout.windowHeight;

    layout.column0Width = layout.labelWidth + ScalePixels(15, dpi);
    layout.column1Width = layout.valueWidth + ScalePixels(20, dpi);

    layout.listLeft = ScalePixels(15, dpi) - measures.borderWidth;
    layout.listTop = ScalePixels(11, dpi);
    layout.listWidth = layout.windowWidth - ScalePixels(30, dpi);
    layout.listHeight = layout.windowHeight - ScalePixels(65, dpi);

    layout.buttonLeft = layout.listLeft;
    layout.buttonTop = layout.windowHeight - measures.titleBarHeight - ScalePixels(28, dpi);
    layout.buttonWidth = layout.listWidth;
    layout.buttonHeight = ScalePixels(10, dpi);
}

bool SweepIsDue(uint32_t now, uint32_t lastSweepTime)
{
    return (uint32_t)(now - lastSweepTime) > 10;
}
