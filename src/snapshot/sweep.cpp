#include "snapshot/sweep.h"

#include <cstring>

#include "common/trim_whitespace.h"
#include "snapshot/row_text.h"

// One scratch text serves every row in turn.
static const size_t kScratchSize = 2048;

static bool AppendIdentityRows(const SweepFigures& figures, SnapshotReport& report)
{
    char scratch[kScratchSize];

    const char* userName =
        UserNameValue(figures.userNameRead, figures.userName, figures.userNameSize);
    if (!AppendRow(report, "USERNAME", userName, nullptr, true, RowKindInformation)) {
        return false;
    }

    // A date that does not format still gets its row, so the rows stay in step.
    if (!FormatDateTime(figures.localTime, scratch, sizeof(scratch))) {
        scratch[0] = '\0';
    }
    if (!AppendRow(report, "DATE&TIME", scratch, nullptr, true, RowKindInformation)) {
        return false;
    }

    const char* computerName = ComputerNameValue(figures.computerNameRead, figures.computerName,
                                                 figures.computerNameLength);
    if (!AppendRow(report, "COMPUTERNAME", computerName, computerName, true,
                   RowKindConfiguration)) {
        return false;
    }

    FormatUptime(figures.uptimeMilliseconds, scratch, sizeof(scratch));
    return AppendRow(report, "UPTIME", scratch, nullptr, true, RowKindInformation);
}

static bool AppendProcessorRows(const SweepFigures& figures, SnapshotReport& report)
{
    char scratch[kScratchSize];
    bool appended = false;
    for (size_t i = 0; i < figures.processors.count; ++i) {
        const ProcessorFigures& processor = figures.processors.items[i];
        FormatProcessorValue(processor.nameRead ? processor.name : nullptr, processor.clockMhz,
                             scratch, sizeof(scratch));
        if (!AppendRow(report, "CPU", scratch, scratch, false, RowKindConfiguration)) {
            return false;
        }
        appended = true;
    }
    // The processors share one shade; an empty group leaves it to the next.
    if (appended) {
        SwitchShade(report);
    }
    return true;
}

static bool AppendMemoryAndProcessRows(const SweepFigures& figures, RunningExtremes& extremes,
                                       SnapshotReport& report)
{
    char value[kScratchSize];
    char size[64];
    FormatMemoryValue(figures.memory, extremes, value, sizeof(value));
    FormatMemorySize(figures.memory.totalPhys, size, sizeof(size));
    // Only the installed size is configuration; the use varies.
    if (!AppendRow(report, "RAM", value, size, true, RowKindConfiguration)) {
        return false;
    }
    if (!figures.processesCounted) {
        return false;
    }
    FormatProcessValue(figures.processCount, extremes, value, sizeof(value));
    return AppendRow(report, "PROCESSES", value, nullptr, true, RowKindInformation);
}

// Each description is trimmed into one scratch text, reused for every row.
static bool AppendDeviceRows(const ItemList<char>& descriptions, const char* label,
                             ItemList<char>& trimmed, SnapshotReport& report)
{
    bool appended = false;
    for (size_t at = 0; at < descriptions.count;) {
        const char* description = descriptions.items + at;
        const size_t length = strnlen(description, descriptions.count - at);
        trimmed.count = 0;
        if (!AppendItems(trimmed, description, length) || !AppendItem(trimmed, '\0')) {
            FreeReport(report);
            return false;
        }
        TrimWhitespace(trimmed.items);
        if (!AppendRow(report, label, trimmed.items, trimmed.items, false, RowKindConfiguration)) {
            // Part of this row may be in some texts and not in others.
            FreeReport(report);
            return false;
        }
        appended = true;
        at += length + 1;
    }
    if (appended) {
        SwitchShade(report);
    }
    return true;
}

static bool AppendDriveRows(const SweepFigures& figures, SnapshotReport& report)
{
    char value[kScratchSize];
    char record[kScratchSize];
    // The last group: its shade is not switched afterwards.
    const uint32_t count = figures.driveCount < 26 ? figures.driveCount : 26;
    for (uint32_t i = 0; i < count; ++i) {
        FormatDriveTexts(figures.drives[i], value, sizeof(value), record, sizeof(record));
        if (!AppendRow(report, "DRIVE", value, record, false, RowKindConfiguration)) {
            return false;
        }
    }
    return true;
}

bool BuildReport(const SweepFigures& figures, RunningExtremes& extremes, SnapshotReport& report)
{
    BeginReport(report);
    if (!AppendIdentityRows(figures, report)) {
        return false;
    }
    if (!AppendProcessorRows(figures, report)) {
        return false;
    }
    if (!AppendMemoryAndProcessRows(figures, extremes, report)) {
        return false;
    }
    ItemList<char> trimmed = ItemList<char>();
    for (int query = 0; query < kDeviceQueryCount; ++query) {
        if (!AppendDeviceRows(figures.devices[query], kDeviceQueries[query].label, trimmed,
                              report)) {
            FreeItems(trimmed);
            return false;
        }
    }
    FreeItems(trimmed);
    if (!AppendDriveRows(figures, report)) {
        return false;
    }
    FinishReport(report);
    return true;
}

bool DevicePropertyRetryAllowed(uint32_t attempt, uint32_t offeredSize, uint32_t requiredSize)
{
    return attempt < 4 && requiredSize > offeredSize;
}

void FreeSweepFigures(SweepFigures& figures)
{
    FreeItems(figures.processors);
    for (int query = 0; query < kDeviceQueryCount; ++query) {
        FreeItems(figures.devices[query]);
    }
}
