#pragma once

#include <cstddef>
#include <cstdint>

// Texts of the memory, process, device and drive rows, formed from what the
// platform queries returned.

// Lowest and highest figures seen since the program started; never reset.
struct RunningExtremes {
    int32_t processMax;
    int32_t memoryMaxPercent;
    int32_t processMin;
    int32_t memoryMinPercent;
};

// The start values: the first sweep replaces all four.
RunningExtremes InitialExtremes();

// The 64-bit memory status, in bytes.
struct MemoryFigures {
    uint64_t totalPhys;
    uint64_t availPhys;
    uint64_t totalPageFile;
    uint64_t availPageFile;
};

// Share of physical memory in use plus the used page file, against physical
// memory, each step rounded to single precision. Not capped: it can exceed
// 100. 0 when the total is unknown.
float MemoryUsePercent(const MemoryFigures& memory);

// "<total / 1024000>MB", e.g. "2047MB".
void FormatMemorySize(uint64_t totalBytes, char* out, size_t outSize);

// Updates the memory extremes with the percentage (before it is truncated),
// then "<size> <percent>% [Min <min>% Max <max>%]".
void FormatMemoryValue(const MemoryFigures& memory, RunningExtremes& extremes, char* out,
                       size_t outSize);

// Updates the process extremes, then "<count> [Min <min> Max <max>]".
void FormatProcessValue(uint32_t processCount, RunningExtremes& extremes, char* out,
                        size_t outSize);

// One of the four device listings of a sweep.
struct DeviceQuery {
    const char* enumerator;   // "PCI" or "USB"
    bool excludeMode;         // keep devices of any class but the named one
    const char* firstClass;
    const char* secondClass;
    const char* label;
};

enum { kDeviceQueryCount = 4 };
extern const DeviceQuery kDeviceQueries[kDeviceQueryCount];

// Exact, case-sensitive class selection.
bool DeviceIsSelected(const char* className, const DeviceQuery& query);

// One fixed drive as the platform described it.
struct DriveFigures {
    char tag[5];               // "[C:]"
    uint64_t totalBytes;
    uint64_t totalFreeBytes;
    char volumeName[128];      // empty when unreadable
    char fileSystemName[128];  // empty when unreadable
};

// "%.2fMB" up to 1000 units of 1024000 bytes, then GB (1024 such units),
// then TB.
void FormatDriveSize(uint64_t totalBytes, char* out, size_t outSize);

// "%.0f%%" of the used share, computed in single precision.
void FormatUsedShare(uint64_t totalFreeBytes, uint64_t totalBytes, char* out, size_t outSize);

// Value "<tag> <volume> Local <size> <file system> <used>%" and record line
// "<tag> <volume> <size> <file system>", with the names trimmed.
void FormatDriveTexts(const DriveFigures& drive, char* value, size_t valueSize, char* record,
                      size_t recordSize);
