#include "snapshot/sweep.h"

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
    for (const ProcessorFigures& processor : figures.processors) {
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

bool BuildReport(const SweepFigures& figures, SnapshotReport& report)
{
    BeginReport(report);
    if (!AppendIdentityRows(figures, report)) {
        return false;
    }
    if (!AppendProcessorRows(figures, report)) {
        return false;
    }
    FinishReport(report);
    return true;
}
