#pragma once

#include <cstddef>
#include <cstdint>

// Heap hooks used for every block of the report. The program passes none and
// uses the nothrow operator new; tests pass hooks that fail chosen
// allocations.
struct ReportAllocator {
    void* (*allocate)(size_t size, void* context);
    void* (*resize)(void* block, size_t size, void* context);
    void (*release)(void* block, void* context);
    void* context;
};

// One growing text of the report. `capacity` is the allocated size of the
// block, which is what the growth rule adds to.
struct ReportText {
    char* text;       // NUL-terminated, or null when absent
    size_t capacity;  // bytes allocated for `text`
};

// The rows of one sweep. Lines in the three texts are separated by single
// line feeds; after a finished sweep no text ends with one.
struct SnapshotReport {
    ReportText recordText;  // one line per row of kind 1
    ReportText valueText;   // one line per row
    ReportText labelText;   // one line per row
    int32_t* iconIndexes;   // 0 or 1 per row, or null
    int32_t iconCount;
    int32_t* rowKinds;      // 0 (shown only) or 1 (configuration) per row, or null
    int32_t rowKindCount;
    uint8_t currentIcon;    // shade the next appended row receives
    const ReportAllocator* allocator;  // null: the nothrow operator new
};

enum RowKind : int32_t { RowKindInformation = 0, RowKindConfiguration = 1 };

// Makes room for at least `count` more characters: the block grows by
// 2 x count bytes. A new block starts zero-filled (an empty text); a failed
// resize discards the text. Returns false when the heap refuses.
bool GrowText(SnapshotReport& report, ReportText& text, size_t count);

// Records the icon index (the current shade) and the kind of one new row,
// then switches the shade when `alternate` is set.
bool AppendRowEntry(SnapshotReport& report, bool alternate, int32_t kind);

// Appends one row: the label, the record line (only when `record` is not
// null) and the value, each followed by a line feed, then its entry.
// A line feed inside one of the three texts becomes a space, so that every
// row stays one line.
bool AppendRow(SnapshotReport& report, const char* label, const char* value,
               const char* record, bool alternate, int32_t kind);

// Switches the shade once, after a group of rows that appended at least one.
void SwitchShade(SnapshotReport& report);

// Frees every block and empties the report; the shade and the allocator stay.
void FreeReport(SnapshotReport& report);

// Start of a sweep: frees the previous rows and sets the shade to 1.
void BeginReport(SnapshotReport& report);

// End of a sweep: removes the last line feed of each text.
void FinishReport(SnapshotReport& report);

// Number of lines of a text as the report counts them (0 for an absent or
// empty text).
int32_t CountReportLines(const ReportText& text);
