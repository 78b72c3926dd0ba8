#include "snapshot/snapshot_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failing_allocator.h"

namespace {

// The text as the test sees it; an absent text reads differently from an
// empty one so a failure message tells them apart.
std::string TextOf(const ReportText& text)
{
    return text.text == nullptr ? std::string("<absent>") : std::string(text.text);
}

std::vector<int32_t> Entries(const int32_t* entries, int32_t count)
{
    return entries == nullptr ? std::vector<int32_t>() : std::vector<int32_t>(entries, entries + count);
}

struct ReportOnFailingHeap {
    FailingHeap heap{};
    ReportAllocator allocator = FailingAllocator(heap);
    SnapshotReport report{};

    ReportOnFailingHeap() { report.allocator = &allocator; }
    ~ReportOnFailingHeap() { FreeReport(report); }
};

// --- Growth rule ---------------------------------------------------------

TEST(GrowText, AppendingUsernameToAnAbsentLabelTextAllocatesEighteenZeroedBytes)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    fixture.heap.failAt = 2;  // keep the label block, stop at the value

    EXPECT_FALSE(AppendRow(report, "USERNAME", "alice", nullptr, true, RowKindInformation));

    ASSERT_EQ(fixture.heap.calls, 2u);
    ASSERT_EQ(BlockSize(fixture.heap, report.labelText.text), 18u);
    // Everything after the copied line and its terminator is still zero.
    EXPECT_EQ(std::string(report.labelText.text, 18), std::string("USERNAME\n") + std::string(9, '\0'));
}

TEST(GrowText, EveryAppendAddsTwiceItsLengthToTheAllocatedSize)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    const char* labels[] = {"USERNAME", "DATE&TIME", "", "CPU", "A much longer label than the others"};

    size_t capacity = 0;
    std::string expected;
    for (const char* label : labels) {
        ASSERT_TRUE(AppendRow(report, label, "v", nullptr, false, RowKindInformation)) << label;
        capacity += 2 * (std::string(label).size() + 1);
        expected += std::string(label) + "\n";
        EXPECT_EQ(report.labelText.capacity, capacity) << "after " << label;
        EXPECT_EQ(BlockSize(fixture.heap, report.labelText.text), capacity) << "after " << label;
        EXPECT_EQ(TextOf(report.labelText), expected);
    }

    FinishReport(report);
    EXPECT_EQ(report.labelText.capacity, capacity) << "finishing must not shrink the block";
}

TEST(GrowText, RefusedResizeDiscardsTheTextWithoutLeakingIt)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    ASSERT_TRUE(AppendRow(report, "USERNAME", "alice", "alice", true, RowKindInformation));
    const size_t blocksBefore = fixture.heap.liveBlocks;
    fixture.heap.failAt = fixture.heap.calls + 1;

    EXPECT_FALSE(GrowText(report, report.valueText, 4));

    EXPECT_EQ(report.valueText.text, nullptr);
    EXPECT_EQ(report.valueText.capacity, 0u);
    EXPECT_EQ(fixture.heap.liveBlocks, blocksBefore - 1);
    EXPECT_EQ(fixture.heap.badReleases, 0u);
    EXPECT_EQ(TextOf(report.labelText), "USERNAME\n") << "other texts are untouched";
}

TEST(GrowText, GrowthTooLargeToExpressIsRefused)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    ASSERT_TRUE(GrowText(report, report.labelText, 4));

    EXPECT_FALSE(GrowText(report, report.labelText, SIZE_MAX / 2 + 1));
    EXPECT_EQ(report.labelText.text, nullptr);
    EXPECT_EQ(fixture.heap.liveBlocks, 0u);

    EXPECT_FALSE(GrowText(report, report.valueText, SIZE_MAX));
    EXPECT_EQ(report.valueText.text, nullptr);
}

// --- Row entries and shading ---------------------------------------------

TEST(AppendRowEntry, FirstEntryAllocatesOneIntegerAndEachNextAddsFourBytes)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;

    for (size_t rows = 1; rows <= 4; ++rows) {
        ASSERT_TRUE(AppendRowEntry(report, false, RowKindConfiguration));
        EXPECT_EQ(BlockSize(fixture.heap, report.iconIndexes), 4 * rows);
        EXPECT_EQ(BlockSize(fixture.heap, report.rowKinds), 4 * rows);
    }
    EXPECT_EQ(report.iconCount, 4);
    EXPECT_EQ(report.rowKindCount, 4);
}

TEST(AppendRowEntry, RowKeepsTheShadeFromBeforeTheSwitch)
{
    struct Step {
        bool alternate;
        bool switchAfter;  // a group ends here
        int32_t kind;
    };
    // Two single rows, a group of three, a single row.
    const Step steps[] = {
        {true, false, 0}, {true, false, 1},
        {false, false, 1}, {false, false, 1}, {false, true, 1},
        {true, false, 0},
    };
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    report.currentIcon = 1;

    for (const Step& step : steps) {
        ASSERT_TRUE(AppendRowEntry(report, step.alternate, step.kind));
        if (step.switchAfter) {
            SwitchShade(report);
        }
    }

    EXPECT_EQ(Entries(report.iconIndexes, report.iconCount), (std::vector<int32_t>{1, 0, 1, 1, 1, 0}));
    EXPECT_EQ(Entries(report.rowKinds, report.rowKindCount), (std::vector<int32_t>{0, 1, 1, 1, 1, 0}));
    EXPECT_EQ(report.currentIcon, 1);
}

TEST(AppendRow, AppendsLabelThenRecordThenValue)
{
    // Refusing each allocation point in turn shows the order of the texts.
    struct Case {
        size_t failAt;
        const char* label;
        const char* record;
        const char* value;
    };
    const Case cases[] = {
        {1, "<absent>", "<absent>", "<absent>"},
        {2, "CPU\n", "<absent>", "<absent>"},
        {3, "CPU\n", "Example\n", "<absent>"},
        {4, "CPU\n", "Example\n", "Example\n"},  // the icon entry
        {5, "CPU\n", "Example\n", "Example\n"},  // the kind entry
    };
    for (const Case& c : cases) {
        ReportOnFailingHeap fixture;
        SnapshotReport& report = fixture.report;
        fixture.heap.failAt = c.failAt;

        EXPECT_FALSE(AppendRow(report, "CPU", "Example", "Example", false, RowKindConfiguration))
            << "refusing call " << c.failAt;
        EXPECT_EQ(TextOf(report.labelText), c.label) << "refusing call " << c.failAt;
        EXPECT_EQ(TextOf(report.recordText), c.record) << "refusing call " << c.failAt;
        EXPECT_EQ(TextOf(report.valueText), c.value) << "refusing call " << c.failAt;
    }
}

TEST(AppendRow, LineFeedInsideATextBecomesASpaceSoRowsStayInStep)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;

    ASSERT_TRUE(AppendRow(report, "CPU", "Example\nCPU", "Example\nCPU", false, RowKindConfiguration));
    ASSERT_TRUE(AppendRow(report, "DRIVE", "C:", "C:", false, RowKindConfiguration));
    FinishReport(report);

    EXPECT_EQ(TextOf(report.valueText), "Example CPU\nC:");
    EXPECT_EQ(TextOf(report.recordText), "Example CPU\nC:");
    EXPECT_EQ(CountReportLines(report.valueText), CountReportLines(report.labelText));
}

TEST(FinishReport, RemovesOnlyAFinalLineFeed)
{
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"USERNAME\nCPU\n", "USERNAME\nCPU"},
        {"USERNAME\nCPU", "USERNAME\nCPU"},
        {"\n", ""},
        {"a\n\n", "a\n"},
        {"", ""},
        {"a\r", "a\r"},
    };
    for (const Case& c : cases) {
        std::string label(c.before), value(c.before), record(c.before);
        SnapshotReport report{};
        report.labelText = ReportText{&label[0], label.size() + 1};
        report.valueText = ReportText{&value[0], value.size() + 1};
        report.recordText = ReportText{&record[0], record.size() + 1};

        FinishReport(report);

        EXPECT_EQ(TextOf(report.labelText), c.after) << "label from \"" << c.before << "\"";
        EXPECT_EQ(TextOf(report.valueText), c.after) << "value from \"" << c.before << "\"";
        EXPECT_EQ(TextOf(report.recordText), c.after) << "record from \"" << c.before << "\"";
    }
}

TEST(FreeReport, ReleasesEveryBlockAndKeepsShadeAndAllocator)
{
    ReportOnFailingHeap fixture;
    SnapshotReport& report = fixture.report;
    report.currentIcon = 1;
    ASSERT_TRUE(AppendRow(report, "COMPUTERNAME", "WORKSTATION-7", "WORKSTATION-7", true, RowKindConfiguration));
    ASSERT_EQ(fixture.heap.liveBlocks, 5u);

    FreeReport(report);

    EXPECT_EQ(fixture.heap.liveBlocks, 0u);
    EXPECT_EQ(fixture.heap.liveBytes, 0u);
    EXPECT_EQ(fixture.heap.badReleases, 0u);
    for (const ReportText* text : {&report.labelText, &report.valueText, &report.recordText}) {
        EXPECT_EQ(text->text, nullptr);
        EXPECT_EQ(text->capacity, 0u);
    }
    EXPECT_EQ(report.iconIndexes, nullptr);
    EXPECT_EQ(report.iconCount, 0);
    EXPECT_EQ(report.rowKinds, nullptr);
    EXPECT_EQ(report.rowKindCount, 0);
    EXPECT_EQ(report.currentIcon, 0) << "the alternate row switched it";
    EXPECT_EQ(report.allocator, &fixture.allocator);

    FreeReport(report);  // a second free finds nothing to release
    EXPECT_EQ(fixture.heap.badReleases, 0u);
}

}  // namespace
