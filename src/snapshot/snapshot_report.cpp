#include "snapshot/snapshot_report.h"

#include <cstdint>
#include <cstring>
#include <new>

// Without hooks the blocks come from the same nothrow heap as every other
// buffer of the program.
static void* Allocate(const SnapshotReport& report, size_t size)
{
    if (report.allocator == nullptr) {
        return ::operator new(size, std::nothrow);
    }
    return report.allocator->allocate(size, report.allocator->context);
}

static void Release(const SnapshotReport& report, void* block)
{
    if (block == nullptr) {
        return;
    }
    if (report.allocator == nullptr) {
        ::operator delete(block);
        return;
    }
    report.allocator->release(block, report.allocator->context);
}

// As realloc: a refused resize leaves the block of `oldSize` bytes as it was.
static void* Resize(const SnapshotReport& report, void* block, size_t oldSize, size_t size)
{
    if (report.allocator != nullptr) {
        return report.allocator->resize(block, size, report.allocator->context);
    }
    void* moved = Allocate(report, size);
    if (moved != nullptr) {
        std::memcpy(moved, block, oldSize < size ? oldSize : size);
        Release(report, block);
    }
    return moved;
}

static void ReleaseText(const SnapshotReport& report, ReportText& text)
{
    Release(report, text.text);
    text.text = nullptr;
    text.capacity = 0;
}

bool GrowText(SnapshotReport& report, ReportText& text, size_t count)
{
    // A growth too large to express is refused like a resize the heap refuses,
    // so a false result always leaves the text absent.
    if (count > SIZE_MAX / 2) {
        ReleaseText(report, text);
        return false;
    }
    const size_t growth = 2 * count;

    if (text.text == nullptr) {
        // Even a growth of 0 needs room for the terminator of the empty text.
        const size_t size = growth > 0 ? growth : 1;
        void* block = Allocate(report, size);
        if (block == nullptr) {
            text.capacity = 0;
            return false;
        }
        std::memset(block, 0, size);
        text.text = static_cast<char*>(block);
        text.capacity = size;
        return true;
    }

    if (growth == 0) {
        return true;
    }
    if (text.capacity > SIZE_MAX - growth) {
        ReleaseText(report, text);
        return false;
    }
    void* block = Resize(report, text.text, text.capacity, text.capacity + growth);
    if (block == nullptr) {
        // The old block is still ours after a refused resize; drop it rather
        // than leak it.
        ReleaseText(report, text);
        return false;
    }
    // The added bytes stay as they are: the text still ends at its terminator.
    text.text = static_cast<char*>(block);
    text.capacity += growth;
    return true;
}

// Enlarges one entry array by a single entry. The block always holds exactly
// `count` entries, so its allocated size is count x 4 bytes.
static bool AppendEntry(SnapshotReport& report, int32_t*& entries, int32_t& count, int32_t value)
{
    if (count < 0 || count == INT32_MAX || (entries == nullptr && count != 0)) {
        return false;
    }
    void* block = nullptr;
    if (entries == nullptr) {
        block = Allocate(report, sizeof(int32_t));
    } else {
        block = Resize(report, entries, static_cast<size_t>(count) * sizeof(int32_t),
                       (static_cast<size_t>(count) + 1) * sizeof(int32_t));
    }
    if (block == nullptr) {
        // The old block and its entries stay.
        return false;
    }
    entries = static_cast<int32_t*>(block);
    entries[count] = value;
    ++count;
    return true;
}

bool AppendRowEntry(SnapshotReport& report, bool alternate, int32_t kind)
{
    if (!AppendEntry(report, report.iconIndexes, report.iconCount, report.currentIcon)) {
        return false;
    }
    // The row keeps the shade it got; the switch is for the next row.
    if (alternate) {
        SwitchShade(report);
    }
    return AppendEntry(report, report.rowKinds, report.rowKindCount, kind);
}

// Appends `line` and a line feed. A line feed inside `line` would split the
// row in two and shift every later row against its label, so it becomes a
// space.
static bool AppendLine(SnapshotReport& report, ReportText& text, const char* line)
{
    if (line == nullptr) {
        line = "";
    }
    const size_t lineLength = std::strlen(line);
    if (lineLength > SIZE_MAX - 2 || !GrowText(report, text, lineLength + 1)) {
        return false;
    }
    // One scan of the existing text per append; the growth rule keeps the
    // copy within the block, checked again here rather than trusted.
    const size_t used = std::strlen(text.text);
    if (text.capacity - used < lineLength + 2) {
        return false;
    }
    char* end = text.text + used;
    for (size_t index = 0; index < lineLength; ++index) {
        end[index] = line[index] == '\n' ? ' ' : line[index];
    }
    end[lineLength] = '\n';
    end[lineLength + 1] = '\0';
    return true;
}

bool AppendRow(SnapshotReport& report, const char* label, const char* value,
               const char* record, bool alternate, int32_t kind)
{
    if (!AppendLine(report, report.labelText, label)) {
        return false;
    }
    if (record != nullptr && !AppendLine(report, report.recordText, record)) {
        return false;
    }
    if (!AppendLine(report, report.valueText, value)) {
        return false;
    }
    return AppendRowEntry(report, alternate, kind);
}

void SwitchShade(SnapshotReport& report)
{
    report.currentIcon = report.currentIcon == 0 ? 1 : 0;
}

void FreeReport(SnapshotReport& report)
{
    ReleaseText(report, report.recordText);
    ReleaseText(report, report.valueText);
    ReleaseText(report, report.labelText);
    Release(report, report.iconIndexes);
    report.iconIndexes = nullptr;
    report.iconCount = 0;
    Release(report, report.rowKinds);
    report.rowKinds = nullptr;
    report.rowKindCount = 0;
}

void BeginReport(SnapshotReport& report)
{
    FreeReport(report);
    report.currentIcon = 1;
}

static void RemoveFinalLineFeed(ReportText& text)
{
    if (text.text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text.text);
    if (length > 0 && text.text[length - 1] == '\n') {
        text.text[length - 1] = '\0';
    }
}

void FinishReport(SnapshotReport& report)
{
    RemoveFinalLineFeed(report.recordText);
    RemoveFinalLineFeed(report.valueText);
    RemoveFinalLineFeed(report.labelText);
}

int32_t CountReportLines(const ReportText& text)
{
    if (text.text == nullptr || text.text[0] == '\0') {
        return 0;
    }
    int32_t lines = 1;
    for (const char* character = text.text; *character != '\0'; ++character) {
        if (*character == '\n') {
            ++lines;
        }
    }
    return lines;
}
