#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "snapshot/snapshot_report.h"

// What the platform returned for one processor key.
struct ProcessorFigures {
    bool nameRead;        // "ProcessorNameString" could be read
    char name[1024];      // NUL-terminated when nameRead
    uint32_t clockMhz;    // "~MHz", 0 when unreadable
};

// Raw figures of one sweep, gathered from the platform by the glue.
struct SweepFigures {
    bool userNameRead;
    char userName[1024];
    uint32_t userNameSize;        // characters with the NUL, as reported
    struct tm localTime;
    bool computerNameRead;
    char computerName[1024];
    uint32_t computerNameLength;  // characters without the NUL, as reported
    uint64_t uptimeMilliseconds;
    std::vector<ProcessorFigures> processors;  // in enumeration order
};

// Rebuilds the report from the figures, row by row in the fixed order.
// Returns false at the first failed growth; the rows appended so far stay.
bool BuildReport(const SweepFigures& figures, SnapshotReport& report);
