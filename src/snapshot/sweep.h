#pragma once

#include <cstdint>
#include <ctime>

#include "common/item_list.h"
#include "snapshot/machine_rows.h"
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
    uint32_t userNameSize;        // bytes of the ANSI text with the NUL
    struct tm localTime;
    bool computerNameRead;
    char computerName[1024];
    uint32_t computerNameLength;  // characters without the NUL, as reported
    uint64_t uptimeMilliseconds;
    ItemList<ProcessorFigures> processors;  // in enumeration order
    MemoryFigures memory;
    bool processesCounted;   // the process enumeration succeeded
    uint32_t processCount;
    // Descriptions of the selected devices of each of kDeviceQueries, in the
    // platform's order, as read (untrimmed), each ended by its NUL.
    ItemList<char> devices[kDeviceQueryCount];
    uint32_t driveCount;
    DriveFigures drives[26];  // the fixed drives, A to Z
};

// Gives back the lists of the figures.
void FreeSweepFigures(SweepFigures& figures);

// Whether a device property that did not fit a buffer of `offeredSize` bytes
// is asked for again with the `requiredSize` the platform now names, as try
// number `attempt` (0 for the first, made with no buffer at all). Only while
// the size asked for grows, and a few times at most: an ANSI property whose
// size is reported in UTF-16 bytes can stay too small for ever, and a logon
// start must not spin on it. A property given up on counts as unreadable.
bool DevicePropertyRetryAllowed(uint32_t attempt, uint32_t offeredSize, uint32_t requiredSize);

// Rebuilds the report from the figures, row by row in the fixed order, and
// updates the running extremes. Returns false at the first failed growth or
// when the processes could not be counted; the rows appended so far stay,
// except after a failed device row, which leaves the report empty so that
// its texts and arrays never disagree in length.
bool BuildReport(const SweepFigures& figures, RunningExtremes& extremes, SnapshotReport& report);
