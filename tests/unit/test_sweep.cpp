#include "snapshot/sweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "failing_allocator.h"

namespace {

ProcessorFigures Processor(const char* name, uint32_t mhz)
{
    ProcessorFigures processor{};
    processor.nameRead = name != nullptr;
    if (name != nullptr) {
        std::snprintf(processor.name, sizeof(processor.name), "%s", name);
    }
    processor.clockMhz = mhz;
    return processor;
}

SweepFigures Figures(size_t processorCount)
{
    SweepFigures figures{};
    figures.userNameRead = true;
    std::snprintf(figures.userName, sizeof(figures.userName), "alice");
    figures.userNameSize = 6;
    figures.localTime.tm_year = 2024 - 1900;
    figures.localTime.tm_mon = 2;
    figures.localTime.tm_mday = 5;
    figures.localTime.tm_hour = 14;
    figures.localTime.tm_min = 7;
    figures.computerNameRead = true;
    std::snprintf(figures.computerName, sizeof(figures.computerName), "WORKSTATION-7");
    figures.computerNameLength = 13;
    figures.uptimeMilliseconds = 90061000;
    figures.memory = MemoryFigures{2048000000, 1024000000, 1000, 1000};
    figures.processesCounted = true;
    figures.processCount = 48;
    for (size_t index = 0; index < processorCount; ++index) {
        figures.processors.push_back(Processor("  Example CPU 3.00GHz\t", 2993));
    }
    return figures;
}

// A sweep with fresh extremes, as the first sweep of a run.
bool Build(const SweepFigures& figures, SnapshotReport& report)
{
    RunningExtremes extremes = InitialExtremes();
    return BuildReport(figures, extremes, report);
}

std::vector<std::string> Lines(const ReportText& text)
{
    std::vector<std::string> lines;
    if (text.text == nullptr || text.text[0] == '\0') {
        return lines;
    }
    std::string line;
    for (const char* character = text.text; *character != '\0'; ++character) {
        if (*character == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *character;
        }
    }
    lines.push_back(line);
    return lines;
}

// Everything a consumer reads from a report, so two sweeps compare as one.
struct ReportContents {
    std::string labels;
    std::string values;
    std::string records;
    std::vector<int32_t> icons;
    std::vector<int32_t> kinds;
};

std::string TextOf(const ReportText& text)
{
    return text.text == nullptr ? std::string("<absent>") : std::string(text.text);
}

ReportContents ContentsOf(const SnapshotReport& report)
{
    ReportContents contents;
    contents.labels = TextOf(report.labelText);
    contents.values = TextOf(report.valueText);
    contents.records = TextOf(report.recordText);
    if (report.iconIndexes != nullptr) {
        contents.icons.assign(report.iconIndexes, report.iconIndexes + report.iconCount);
    }
    if (report.rowKinds != nullptr) {
        contents.kinds.assign(report.rowKinds, report.rowKinds + report.rowKindCount);
    }
    return contents;
}

void ExpectSameContents(const ReportContents& actual, const ReportContents& expected, const std::string& when)
{
    EXPECT_EQ(actual.labels, expected.labels) << when;
    EXPECT_EQ(actual.values, expected.values) << when;
    EXPECT_EQ(actual.records, expected.records) << when;
    EXPECT_EQ(actual.icons, expected.icons) << when;
    EXPECT_EQ(actual.kinds, expected.kinds) << when;
}

ReportContents CleanSweep(const SweepFigures& figures)
{
    SnapshotReport report{};
    EXPECT_TRUE(Build(figures, report));
    ReportContents contents = ContentsOf(report);
    FreeReport(report);
    return contents;
}

TEST(BuildReport, AppendsTheRowsInTheFixedOrder)
{
    SweepFigures figures = Figures(1);
    figures.processors.push_back(Processor(nullptr, 0));
    SnapshotReport report{};

    ASSERT_TRUE(Build(figures, report));

    EXPECT_EQ(TextOf(report.labelText),
              "USERNAME\nDATE&TIME\nCOMPUTERNAME\nUPTIME\nCPU\nCPU\nRAM\nPROCESSES");
    EXPECT_EQ(TextOf(report.valueText),
              "alice\n"
              "2024 March 05 - 14:07\n"
              "WORKSTATION-7\n"
              "1 Day 1 Hour 1 Minute\n"
              "Example CPU 3.00GHz [@~2993MHz]\n"
              "Unknown CPU [@~0MHz]\n"
              "2000MB 50% [Min 50% Max 50%]\n"
              "48 [Min 48 Max 48]");
    EXPECT_EQ(TextOf(report.recordText),
              "WORKSTATION-7\n"
              "Example CPU 3.00GHz [@~2993MHz]\n"
              "Unknown CPU [@~0MHz]\n"
              "2000MB");
    const ReportContents contents = ContentsOf(report);
    EXPECT_EQ(contents.kinds, (std::vector<int32_t>{0, 0, 1, 0, 1, 1, 1, 0}));
    FreeReport(report);
}

TEST(BuildReport, UnreadNamesGiveTheFallbackTexts)
{
    SweepFigures figures = Figures(1);
    figures.userNameRead = false;
    figures.computerNameRead = false;
    figures.processors[0].nameRead = false;
    SnapshotReport report{};

    ASSERT_TRUE(Build(figures, report));

    const std::vector<std::string> values = Lines(report.valueText);
    ASSERT_EQ(values.size(), 7u);
    EXPECT_EQ(values[0], "UNKNOWN USER");
    EXPECT_EQ(values[2], "UNKNOWN COMPUTER");
    EXPECT_EQ(values[4], "Unknown CPU [@~2993MHz]");
    EXPECT_EQ(TextOf(report.recordText), "UNKNOWN COMPUTER\nUnknown CPU [@~2993MHz]\n2000MB");
    FreeReport(report);
}

TEST(BuildReport, SingleRowsAlternateAndProcessorsShareOneShade)
{
    struct Case {
        size_t processors;
        std::vector<int32_t> icons;
        uint8_t shadeForTheNextGroup;
    };
    const Case cases[] = {
        // No processor rows: the shade after UPTIME passes on to RAM.
        {0, {1, 0, 1, 0, 1, 0}, 1},
        {1, {1, 0, 1, 0, 1, 0, 1}, 0},
        {4, {1, 0, 1, 0, 1, 1, 1, 1, 0, 1}, 0},
    };
    for (const Case& c : cases) {
        SnapshotReport report{};
        ASSERT_TRUE(Build(Figures(c.processors), report));
        EXPECT_EQ(ContentsOf(report).icons, c.icons) << c.processors << " processors";
        EXPECT_EQ(report.currentIcon, c.shadeForTheNextGroup) << c.processors << " processors";
        FreeReport(report);
    }
}

TEST(BuildReport, FinishedReportKeepsItsTextsAndEntriesInStep)
{
    struct Case {
        const char* what;
        SweepFigures figures;
        const char* computerName;
    };
    Case cases[] = {
        {"no processors", Figures(0), "WORKSTATION-7"},
        {"one processor", Figures(1), "WORKSTATION-7"},
        {"four processors", Figures(4), "WORKSTATION-7"},
        {"fallback names", Figures(2), "UNKNOWN COMPUTER"},
    };
    cases[3].figures.userNameRead = false;
    cases[3].figures.computerNameRead = false;

    for (const Case& c : cases) {
        SnapshotReport report{};
        ASSERT_TRUE(Build(c.figures, report)) << c.what;

        const std::vector<std::string> labels = Lines(report.labelText);
        const std::vector<std::string> values = Lines(report.valueText);
        const std::vector<std::string> records = Lines(report.recordText);
        EXPECT_EQ(labels.size(), values.size()) << c.what;
        EXPECT_EQ(static_cast<int32_t>(labels.size()), report.iconCount) << c.what;
        EXPECT_EQ(report.iconCount, report.rowKindCount) << c.what;
        EXPECT_EQ(CountReportLines(report.labelText), report.iconCount) << c.what;
        EXPECT_EQ(CountReportLines(report.recordText), static_cast<int32_t>(records.size())) << c.what;

        // The n-th record line belongs to the n-th configuration row.
        std::vector<std::string> configurationValues;
        for (int32_t row = 0; row < report.rowKindCount && row < static_cast<int32_t>(values.size()); ++row) {
            EXPECT_TRUE(report.rowKinds[row] == 0 || report.rowKinds[row] == 1) << c.what << " row " << row;
            EXPECT_TRUE(report.iconIndexes[row] == 0 || report.iconIndexes[row] == 1) << c.what << " row " << row;
            if (report.rowKinds[row] == RowKindConfiguration) {
                configurationValues.push_back(values[row]);
            }
        }
        ASSERT_EQ(records.size(), configurationValues.size()) << c.what;
        for (size_t line = 0; line < records.size(); ++line) {
            // The record line is the row's value or, for RAM, its start.
            EXPECT_EQ(configurationValues[line].compare(0, records[line].size(), records[line]), 0)
                << c.what << ": '" << records[line] << "' vs '" << configurationValues[line] << "'";
        }
        ASSERT_FALSE(records.empty()) << c.what;
        EXPECT_EQ(records[0], c.computerName) << c.what;

        for (const ReportText* text : {&report.labelText, &report.valueText, &report.recordText}) {
            ASSERT_NE(text->text, nullptr) << c.what;
            const std::string bytes(text->text);
            EXPECT_TRUE(!bytes.empty() && bytes.back() != '\n') << c.what << ": \"" << bytes << "\"";
        }
        FreeReport(report);
    }
}

TEST(BuildReport, SecondSweepStartsFromNothing)
{
    FailingHeap heap{};
    const ReportAllocator allocator = FailingAllocator(heap);
    SnapshotReport report{};
    report.allocator = &allocator;

    ASSERT_TRUE(Build(Figures(4), report));
    ASSERT_TRUE(Build(Figures(0), report));

    ExpectSameContents(ContentsOf(report), CleanSweep(Figures(0)), "after a larger sweep");
    EXPECT_EQ(report.iconIndexes[0], 1);
    EXPECT_EQ(heap.liveBlocks, 5u) << "three texts and two arrays, the first sweep's released";
    FreeReport(report);
    EXPECT_EQ(heap.liveBlocks, 0u);
    EXPECT_EQ(heap.badReleases, 0u);
}

TEST(BuildReport, FailedSweepReturnsFalseAndKeepsTheRowsSoFar)
{
    // Allocation points: each text or array of a row, label first. The
    // fifteenth is the value of the fourth row, UPTIME.
    FailingHeap heap{};
    heap.failAt = 15;
    const ReportAllocator allocator = FailingAllocator(heap);
    SnapshotReport report{};
    report.allocator = &allocator;

    EXPECT_FALSE(Build(Figures(2), report));

    EXPECT_EQ(TextOf(report.labelText), "USERNAME\nDATE&TIME\nCOMPUTERNAME\nUPTIME\n");
    EXPECT_EQ(TextOf(report.valueText), "<absent>");
    EXPECT_EQ(TextOf(report.recordText), "WORKSTATION-7\n");
    EXPECT_EQ(report.iconCount, 3);
    FreeReport(report);
    EXPECT_EQ(heap.liveBlocks, 0u);
}

TEST(BuildReport, RefusingAnyAllocationEndsTheSweepWithoutLeaking)
{
    const SweepFigures figures = Figures(3);
    const ReportContents clean = CleanSweep(figures);

    size_t failAt = 1;
    for (;; ++failAt) {
        FailingHeap heap{};
        heap.failAt = failAt;
        const ReportAllocator allocator = FailingAllocator(heap);
        SnapshotReport report{};
        report.allocator = &allocator;
        const std::string when = "refusing allocation point " + std::to_string(failAt);

        const bool built = Build(figures, report);
        if (built) {
            EXPECT_EQ(heap.refusals, 0u) << when;
            ExpectSameContents(ContentsOf(report), clean, when);
            FreeReport(report);
            EXPECT_EQ(heap.liveBlocks, 0u) << when;
            break;
        }
        EXPECT_EQ(heap.refusals, 1u) << when;
        EXPECT_EQ(heap.calls, failAt) << when << ": the sweep must stop at the refusal";

        FreeReport(report);
        EXPECT_EQ(heap.liveBlocks, 0u) << when;
        EXPECT_EQ(heap.liveBytes, 0u) << when;

        // The same report, once the heap gives again, sweeps as if nothing
        // had happened.
        heap.failAt = failAt;
        heap.calls = 0;
        heap.refusals = 0;
        EXPECT_FALSE(Build(figures, report)) << when;
        heap.failAt = 0;
        EXPECT_TRUE(Build(figures, report)) << when;
        ExpectSameContents(ContentsOf(report), clean, when + ", then sweeping again");
        FreeReport(report);
        EXPECT_EQ(heap.liveBlocks, 0u) << when;
        EXPECT_EQ(heap.badReleases, 0u) << when;
        if (HasFailure()) {
            break;
        }
    }
    // Four single rows (4, 4, 5 and 4 points), three processor rows (5 each),
    // RAM (5) and PROCESSES (4).
    EXPECT_EQ(failAt, 4u + 4u + 5u + 4u + 3u * 5u + 5u + 4u + 1u);
}

// Figures of a machine with every group: two identical network adapters, a
// USB device and two fixed drives.
SweepFigures FullFigures()
{
    SweepFigures figures = Figures(2);
    figures.devices[0] = {"Example Display Adapter"};
    figures.devices[1] = {"  Example Audio \t"};
    figures.devices[2] = {"Example Ethernet", "Example Ethernet"};
    figures.devices[3] = {"USB Input Device"};
    DriveFigures drive{};
    std::snprintf(drive.tag, sizeof(drive.tag), "[C:]");
    std::snprintf(drive.volumeName, sizeof(drive.volumeName), "System");
    std::snprintf(drive.fileSystemName, sizeof(drive.fileSystemName), "NTFS");
    drive.totalBytes = 500107862016ull;
    drive.totalFreeBytes = 185039908946ull;
    figures.drives.push_back(drive);
    std::snprintf(drive.tag, sizeof(drive.tag), "[D:]");
    figures.drives.push_back(drive);
    return figures;
}

TEST(BuildReport, EveryGroupGetsItsRowsAndTheShadesAlternate)
{
    SnapshotReport report{};
    ASSERT_TRUE(Build(FullFigures(), report));
    EXPECT_EQ(Lines(report.labelText),
              (std::vector<std::string>{"USERNAME", "DATE&TIME", "COMPUTERNAME", "UPTIME", "CPU",
                                        "CPU", "RAM", "PROCESSES", "DISPLAY", "MEDIA", "NETWORK",
                                        "NETWORK", "USB", "DRIVE", "DRIVE"}));
    EXPECT_EQ(ContentsOf(report).icons,
              (std::vector<int32_t>{1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0}));
    const std::vector<std::string> records = Lines(report.recordText);
    EXPECT_EQ(records.size(), 11u);
    EXPECT_EQ(records[5], "Example Audio") << "descriptions are trimmed";
    EXPECT_EQ(records[6], "Example Ethernet");
    EXPECT_EQ(records[7], "Example Ethernet") << "identical adapters are not merged";
    EXPECT_EQ(records[9], "[C:] System 476.94GB NTFS");
    EXPECT_EQ(Lines(report.valueText)[9], "Example Audio");
    EXPECT_EQ(Lines(report.valueText)[13], "[C:] System Local 476.94GB NTFS 63%");
    FreeReport(report);
}

TEST(BuildReport, EmptyDeviceGroupLeavesTheShadeToTheNext)
{
    SweepFigures figures = FullFigures();
    figures.devices[0].clear();
    SnapshotReport report{};
    ASSERT_TRUE(Build(figures, report));
    // MEDIA takes the shade DISPLAY would have had.
    EXPECT_EQ(ContentsOf(report).icons,
              (std::vector<int32_t>{1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 1}));
    FreeReport(report);
}

TEST(BuildReport, UncountedProcessesFailTheSweepAfterTheMemoryRow)
{
    SweepFigures figures = FullFigures();
    figures.processesCounted = false;
    SnapshotReport report{};
    EXPECT_FALSE(Build(figures, report));
    EXPECT_EQ(TextOf(report.labelText),
              "USERNAME\nDATE&TIME\nCOMPUTERNAME\nUPTIME\nCPU\nCPU\nRAM\n");
    FreeReport(report);
}

TEST(BuildReport, ExtremesCarryOverFromSweepToSweep)
{
    RunningExtremes extremes = InitialExtremes();
    SweepFigures figures = Figures(0);
    SnapshotReport report{};
    figures.processCount = 40;
    ASSERT_TRUE(BuildReport(figures, extremes, report));
    figures.processCount = 60;
    ASSERT_TRUE(BuildReport(figures, extremes, report));
    EXPECT_EQ(Lines(report.valueText)[5], "60 [Min 40 Max 60]");
    FreeReport(report);
}

TEST(BuildReport, FailedDeviceRowLeavesNoTextsOutOfStep)
{
    SweepFigures figures = FullFigures();
    SweepFigures noDevices = figures;
    for (std::vector<std::string>& group : noDevices.devices)
        group.clear();
    noDevices.drives.clear();

    // Allocation points before the first device row and within the device rows.
    FailingHeap counting{};
    const ReportAllocator countingAllocator = FailingAllocator(counting);
    SnapshotReport report{};
    report.allocator = &countingAllocator;
    ASSERT_TRUE(Build(noDevices, report));
    const size_t before = counting.calls;
    FreeReport(report);
    const size_t devicePoints = 5 * 5;

    for (size_t failAt = before + 1; failAt <= before + devicePoints; ++failAt) {
        FailingHeap heap{};
        heap.failAt = failAt;
        const ReportAllocator allocator = FailingAllocator(heap);
        SnapshotReport failing{};
        failing.allocator = &allocator;
        EXPECT_FALSE(Build(figures, failing)) << failAt;
        EXPECT_EQ(CountReportLines(failing.labelText), CountReportLines(failing.valueText)) << failAt;
        EXPECT_EQ(failing.iconCount, failing.rowKindCount) << failAt;
        EXPECT_EQ(failing.iconCount, 0) << failAt;
        EXPECT_EQ(heap.liveBlocks, 0u) << failAt;
    }
}

}  // namespace
