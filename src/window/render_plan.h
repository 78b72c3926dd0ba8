#pragma once

#include <cstddef>
#include <cstdint>

#include "common/item_list.h"
#include "common/pixel_rect.h"
#include "common/text_slice.h"
#include "snapshot/snapshot_report.h"

// Icons of the report list.
enum {
    kChangedIconOffset = 2,  // added to a changed row's shade (0 -> 2, 1 -> 3)
    kMissingIcon = 4,
};


// One list row: label, value and icon.
struct PlannedRow {
    TextSlice label;
    TextSlice value;
    int32_t icon;
};

// The rows of one render and the two counts the window height is made of.
struct RenderPlan {
    ItemList<PlannedRow> rows;     // the report's rows, then the "MISSING" rows
    int32_t rowCounter;            // data rows minus one (the last has no line feed)
    int32_t missingCount;
};

// The saved snapshot as loaded.
struct StoredSnapshot {
    const char* storedText;      // at most 127999 characters
    uint32_t storedLineCount;    // may count lines the text does not hold
    int32_t* storedLineMatched;  // storedLineCount flags, or null
};

// Plans the list: one row per report row, a configuration row whose trimmed
// record line matches no stored line gets the changed icon, and the stored
// lines no row matched follow as "MISSING" rows. Each stored line is matched
// by at most one row, so identical lines are counted, not merged. With
// `compare` clear no row is compared and no "MISSING" row is added.
// `storedLineMatched` is rewritten; when it is null every stored line counts
// as unmatched. False when there was no memory for the plan; start from a
// zero-filled plan and give it back with FreeRenderPlan either way.
bool PlanReportRows(const SnapshotReport& report, const StoredSnapshot& stored, bool compare,
                    RenderPlan& plan);

void FreeRenderPlan(RenderPlan& plan);

// What the window's Copy command puts on the clipboard: each planned row as
// its label, a tab and its value, as shown, each ended by CR LF, then a NUL.
// False without memory for it.
bool ComposeCopyText(const RenderPlan& plan, ItemList<char>& text);

// Text widths measured with the report font, and the window's metrics, in
// pixels.
struct RenderMeasures {
    int32_t labelTextWidth;   // widest line of the labels
    int32_t valueTextWidth;   // widest line of the values
    int32_t storedTextWidth;  // widest line of the stored snapshot
    bool storedTextEmpty;
    int32_t titleBarHeight;   // T
    int32_t borderWidth;      // horizontal window border, B
    int32_t rowHeight;        // of a list row as the list view draws it; 0: 17 at the scale
    int32_t dpi;              // of the window's monitor; 0 counts as 96
};

// Where the window and its two controls go.
struct WindowLayout {
    int32_t labelWidth, valueWidth;
    int32_t windowLeft, windowTop, windowWidth, windowHeight;
    int32_t column0Width, column1Width;
    int32_t listLeft, listTop, listWidth, listHeight;
    int32_t buttonLeft, buttonTop, buttonWidth, buttonHeight;
};

// Sizes the window around the rows and puts it at the lower right corner of
// the work area (the caller keeps the current corner on later renders).
// Every margin, padding and the bar follow the dpi; at 96 dpi the window has
// 17 pixels per counted row and the fixed sums it always had.
void ComputeWindowLayout(const RenderMeasures& measures, int32_t rowCounter,
                         int32_t missingCount, const PixelRect& workArea, WindowLayout& layout);

// A render sweeps again only when the last sweep is more than 10 seconds
// old. Unsigned arithmetic: a clock set back looks very old and sweeps too.
bool SweepIsDue(uint32_t now, uint32_t lastSweepTime);
