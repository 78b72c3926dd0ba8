#include "window/render_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    const char* label;
    const char* value;
    const char* record;  // null for a row of kind 0
    bool alternate;
};

// A finished report of the given rows, shaded from 1 as every sweep is.
struct Report {
    SnapshotReport report{};
    explicit Report(const std::vector<Row>& rows)
    {
        BeginReport(report);
        for (const Row& row : rows)
            EXPECT_TRUE(AppendRow(report, row.label, row.value, row.record, row.alternate,
                                  row.record != nullptr ? 1 : 0));
        FinishReport(report);
    }
    ~Report() { FreeReport(report); }
};

struct Stored {
    std::string text;
    std::vector<int32_t> matched;
    StoredSnapshot snapshot;
    Stored(const std::string& storedText, uint32_t lineCount)
        : text(storedText), matched(lineCount, 7)
    {
        snapshot = StoredSnapshot{text.c_str(), lineCount, lineCount > 0 ? matched.data() : nullptr};
    }
};

std::vector<int32_t> Icons(const RenderPlan& plan)
{
    std::vector<int32_t> icons;
    for (const PlannedRow& row : plan.rows)
        icons.push_back(row.icon);
    return icons;
}

std::string Text(const TextSlice& slice)
{
    return std::string(slice.text, slice.length);
}

// The values of the "MISSING" rows, in order.
std::vector<std::string> Missing(const RenderPlan& plan)
{
    std::vector<std::string> values;
    for (const PlannedRow& row : plan.rows)
        if (Text(row.label) == "MISSING") {
            EXPECT_EQ(row.icon, kMissingIcon);
            values.push_back(Text(row.value));
        }
    return values;
}

std::vector<Row> CpuRows(int count, const char* name)
{
    std::vector<Row> rows = {{"COMPUTERNAME", "PC7", "PC7", true}};
    for (int i = 0; i < count; ++i)
        rows.push_back({"CPU", name, name, false});
    return rows;
}

std::string CpuLines(int count, const char* name)
{
    std::string text = "PC7";
    for (int i = 0; i < count; ++i)
        text += std::string("\n") + name;
    return text;
}

TEST(RenderPlan, WorkedExampleMarksTheReplacedProcessorAndListsTwoMissingLines)
{
    Report report({{"USERNAME", "alice", nullptr, true},
                   {"COMPUTERNAME", "PC7", "PC7", true},
                   {"CPU", "CPU-A", "CPU-A", false}});
    Stored stored("PC7\nCPU-B\nDISK-C", 3);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, true, plan);

    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1, 0, 3, 4, 4}));
    EXPECT_EQ(Text(plan.rows[0].label), "USERNAME");
    EXPECT_EQ(Text(plan.rows[2].value), "CPU-A");
    EXPECT_EQ(Missing(plan), (std::vector<std::string>{"CPU-B", "DISK-C"}));
    EXPECT_EQ(stored.matched, (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(plan.rowCounter, 2);
    EXPECT_EQ(plan.missingCount, 2);

    RenderMeasures measures{100, 200, 50, false, 18, 3};
    WindowLayout layout;
    ComputeWindowLayout(measures, plan.rowCounter, plan.missingCount, PixelRect{0, 0, 1280, 770},
                        layout);
    EXPECT_EQ(layout.windowHeight, 17 * 4 + 18 + 69);
}

TEST(RenderPlan, StoredLinesMatchDespiteSurroundingBlanksOnly)
{
    struct Case {
        const char* stored;
        bool changed;
    };
    const Case cases[] = {
        {"  CPU A\t", false}, {"CPU A", false}, {"\tCPU A  ", false},
        {"cpu a", true},      {"CPU  A", true}, {"CPU A\r", true},
    };
    for (const Case& c : cases) {
        Report report({{"CPU", " CPU A ", " CPU A ", false}});
        Stored stored(c.stored, 1);
        RenderPlan plan;
        PlanReportRows(report.report, stored.snapshot, true, plan);
        ASSERT_FALSE(plan.rows.empty());
        EXPECT_EQ(plan.rows[0].icon, c.changed ? 3 : 1) << "stored '" << c.stored << "'";
        EXPECT_EQ(Text(plan.rows[0].value), " CPU A ") << "values are shown untrimmed";
        if (c.changed) {
            EXPECT_EQ(Missing(plan), std::vector<std::string>{c.stored});
        }
    }
}

TEST(RenderPlan, IdenticalLinesAreCountedAsAMultiset)
{
    const char* cpu = "Example CPU [@~2993MHz]";
    struct Case {
        int before, after;
        int marked, missing;
    };
    for (const Case& c : {Case{4, 4, 0, 0}, Case{4, 8, 4, 0}, Case{8, 4, 0, 4}, Case{2, 3, 1, 0}}) {
        Report report(CpuRows(c.after, cpu));
        Stored stored(CpuLines(c.before, cpu), c.before + 1);
        RenderPlan plan;
        PlanReportRows(report.report, stored.snapshot, true, plan);
        int marked = 0;
        for (const PlannedRow& row : plan.rows)
            if (Text(row.label) == "CPU" && row.icon >= kChangedIconOffset)
                ++marked;
        EXPECT_EQ(marked, c.marked) << c.before << " -> " << c.after;
        EXPECT_EQ(plan.missingCount, c.missing) << c.before << " -> " << c.after;
        EXPECT_EQ(plan.rows[0].icon, 1) << "the computer name is unchanged";
    }
}

TEST(RenderPlan, NoStoredSnapshotMarksEveryConfigurationRow)
{
    Report report({{"USERNAME", "alice", nullptr, true},
                   {"COMPUTERNAME", "PC7", "PC7", true},
                   {"UPTIME", "1 Day", nullptr, true},
                   {"CPU", "CPU-A", "CPU-A", false}});
    Stored stored("", 0);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, true, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1, 2, 1, 2}));
    EXPECT_EQ(plan.missingCount, 0);
    EXPECT_EQ(plan.rowCounter, 3);
}

TEST(RenderPlan, CountAboveTheStoredLinesGivesEmptyMissingRows)
{
    // A file of one NUL byte loads as an empty text counted as one line.
    Report report({{"COMPUTERNAME", "PC7", "PC7", true}});
    Stored single("", 1);
    RenderPlan plan;
    PlanReportRows(report.report, single.snapshot, true, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(Missing(plan), std::vector<std::string>{""});

    Stored surplus("PC7", 3);
    PlanReportRows(report.report, surplus.snapshot, true, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1, 4, 4}));
    EXPECT_EQ(Missing(plan), (std::vector<std::string>{"", ""}));
}

// A device without a description, last: its value and record lines are
// empty, so the finished texts end with a line feed. The snapshot saved from
// this report loads as "PC7\n" counted as two lines.
TEST(RenderPlan, EmptyLastRowIsListedAndMatchesTheSavedEmptyLine)
{
    Report report({{"COMPUTERNAME", "PC7", "PC7", true}, {"SOUND", "", "", false}});
    Stored stored("PC7\n", 2);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, true, plan);
    ASSERT_EQ(plan.rows.size(), 2u) << "the empty last row is still a row";
    EXPECT_EQ(Text(plan.rows[1].label), "SOUND");
    EXPECT_EQ(Text(plan.rows[1].value), "");
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1, 0})) << "nothing changed";
    EXPECT_EQ(stored.matched, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(plan.rowCounter, 1);
    EXPECT_EQ(plan.missingCount, 0);
}

// The only record line is empty: it is saved as the single NUL byte, which
// loads as an empty text counted as one line.
TEST(RenderPlan, EmptyRecordLineMatchesTheOneLineOfAnEmptyStoredText)
{
    Report report({{"DISPLAY", "Example Adapter", "", false}});
    Stored single("", 1);
    RenderPlan plan;
    PlanReportRows(report.report, single.snapshot, true, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1}));
    EXPECT_EQ(plan.missingCount, 0);
}

TEST(RenderPlan, MissingRowsShowTheStoredLineUntrimmed)
{
    Report report({{"COMPUTERNAME", "PC7", "PC7", true}});
    Stored stored("PC7\n  DISK-C \t", 2);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, true, plan);
    EXPECT_EQ(Missing(plan), std::vector<std::string>{"  DISK-C \t"});
}

TEST(RenderPlan, WithoutComparingRowsKeepTheirShadeAndNothingIsMissing)
{
    Report report(CpuRows(2, "CPU-A"));
    Stored stored("OTHER\nLINES", 2);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, false, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(plan.missingCount, 0);
}

TEST(RenderPlan, AbsentMatchFlagsCountEveryStoredLineAsUnmatched)
{
    Report report(CpuRows(1, "CPU-A"));
    std::string text = CpuLines(1, "CPU-A");
    StoredSnapshot snapshot{text.c_str(), 2, nullptr};
    RenderPlan plan;
    PlanReportRows(report.report, snapshot, true, plan);
    EXPECT_EQ(Icons(plan), (std::vector<int32_t>{3, 2, 4, 4}));
}

TEST(RenderPlan, OverlongLinesAreCutNotOverrun)
{
    std::string longValue(130000, 'v');
    Report report({{"CPU", longValue.c_str(), longValue.c_str(), false}});
    std::string storedText(127999, 'v');
    Stored stored(storedText, 1);
    RenderPlan plan;
    PlanReportRows(report.report, stored.snapshot, true, plan);
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0].value.length, 127999u);
    // Cut to the same length, the two lines are equal.
    EXPECT_EQ(plan.rows[0].icon, 1);
}

TEST(RenderPlan, EmptyReportHasNoRows)
{
    SnapshotReport empty{};
    Stored stored("PC7", 1);
    RenderPlan plan;
    PlanReportRows(empty, stored.snapshot, true, plan);
    EXPECT_EQ(plan.rowCounter, 0);
    EXPECT_EQ(Missing(plan), std::vector<std::string>{"PC7"});
}

TEST(WindowLayout, SizesFromMeasuredTextsAndSitsAtTheLowerRight)
{
    RenderMeasures measures{80, 150, 0, true, 20, 4};
    WindowLayout layout;
    ComputeWindowLayout(measures, 5, 1, PixelRect{0, 0, 1024, 738}, layout);
    EXPECT_EQ(layout.labelWidth, 96);
    EXPECT_EQ(layout.valueWidth, 150);
    EXPECT_EQ(layout.windowWidth, 150 + 96 + 65);
    EXPECT_EQ(layout.windowHeight, 17 * 6 + 20 + 69);
    EXPECT_EQ(layout.windowLeft + layout.windowWidth, 1024);
    EXPECT_EQ(layout.windowTop + layout.windowHeight, 738);
    EXPECT_EQ(layout.column0Width, 80 + 31);
    EXPECT_EQ(layout.column1Width, 170);
    EXPECT_EQ(layout.column0Width + layout.column1Width, layout.listWidth);
    EXPECT_EQ(layout.listLeft, 11);
    EXPECT_EQ(layout.listTop, 11);
    EXPECT_EQ(layout.listHeight, layout.windowHeight - 65);
    EXPECT_EQ(layout.buttonLeft, 11);
    EXPECT_EQ(layout.buttonTop, layout.windowHeight - 20 - 28);
    EXPECT_EQ(layout.buttonWidth, layout.windowWidth - 30);
    EXPECT_EQ(layout.buttonHeight, 10);
}

TEST(WindowLayout, WiderStoredTextWidensTheValueColumn)
{
    WindowLayout layout;
    ComputeWindowLayout(RenderMeasures{80, 150, 300, false, 20, 4}, 0, 0,
                        PixelRect{0, 0, 1024, 738}, layout);
    EXPECT_EQ(layout.valueWidth, 300);
    ComputeWindowLayout(RenderMeasures{80, 150, 100, false, 20, 4}, 0, 0,
                        PixelRect{0, 0, 1024, 738}, layout);
    EXPECT_EQ(layout.valueWidth, 150);
    ComputeWindowLayout(RenderMeasures{80, 150, 300, true, 20, 4}, 0, 0,
                        PixelRect{0, 0, 1024, 738}, layout);
    EXPECT_EQ(layout.valueWidth, 150) << "an empty stored text is not measured in";
}

TEST(SweepRule, SweepsOnlyWhenTheLastSweepIsMoreThanTenSecondsOld)
{
    EXPECT_FALSE(SweepIsDue(1000, 1000));
    EXPECT_FALSE(SweepIsDue(1010, 1000));
    EXPECT_TRUE(SweepIsDue(1011, 1000));
    EXPECT_TRUE(SweepIsDue(1000, 0)) << "no sweep yet";
    EXPECT_TRUE(SweepIsDue(995, 1000)) << "a clock set back sweeps too";
}

}  // namespace
