#include "snapshot/machine_rows.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/trim_whitespace.h"

RunningExtremes InitialExtremes()
{
    return RunningExtremes{0, 0, 1000000, 1000000};
}

float MemoryUsePercent(const MemoryFigures& memory)
{
    if (memory.totalPhys == 0)
        return 0.0f;
    // More available than exists would be a figure the platform got wrong;
    // count it as nothing in use rather than wrap around.
    uint64_t committed = memory.totalPageFile > memory.availPageFile
                             ? memory.totalPageFile - memory.availPageFile
                             : 0;
    float total = (float)memory.totalPhys;
    float a = (float)memory.availPhys / total;
    float b = 1.0f - a;
    float c = (float)committed / total;
    float d = b + c;
    return d * 100.0f;
}

// Truncation toward zero that cannot overflow the 32-bit fields.
static int32_t TruncatePercent(float percent)
{
    if (!(percent > -1000000000.0f))
        return percent != percent ? 0 : -1000000000;
    if (percent > 1000000000.0f)
        return 1000000000;
    return (int32_t)percent;
}

void FormatMemorySize(uint64_t totalBytes, char* out, size_t outSize)
{
    snprintf(out, outSize, "%lluMB", (unsigned long long)(totalBytes / 1024000u));
}

void FormatMemoryValue(const MemoryFigures& memory, RunningExtremes& extremes, char* out,
                       size_t outSize)
{
    float percent = MemoryUsePercent(memory);
    // Updated before formatting, so the current figure is inside the range.
    if ((float)extremes.memoryMinPercent > percent)
        extremes.memoryMinPercent = TruncatePercent(percent);
    if ((float)extremes.memoryMaxPercent < percent)
        extremes.memoryMaxPercent = TruncatePercent(percent);

    char size[64];
    FormatMemorySize(memory.totalPhys, size, sizeof(size));
    snprintf(out, outSize, "%s %ld%% [Min %ld%% Max %ld%%]", size, (long)TruncatePercent(percent),
             (long)extremes.memoryMinPercent, (long)extremes.memoryMaxPercent);
}

void FormatProcessValue(uint32_t processCount, RunningExtremes& extremes, char* out,
                        size_t outSize)
{
    if (processCount < (uint32_t)extremes.processMin)
        extremes.processMin = (int32_t)processCount;
    if (processCount > (uint32_t)extremes.processMax)
        extremes.processMax = (int32_t)processCount;
    snprintf(out, outSize, "%lu [Min %lu Max %lu]", (unsigned long)processCount,
             (unsigned long)(uint32_t)extremes.processMin,
             (unsigned long)(uint32_t)extremes.processMax);
}

const DeviceQuery kDeviceQueries[kDeviceQueryCount] = {
    {"PCI", false, "Display", "Display", "DISPLAY"},
    {"PCI", false, "MEDIA", "MEDIA", "MEDIA"},
    {"PCI", false, "Net", "Net", "NETWORK"},
    // Everything on the USB bus but its own controllers and hubs.
    {"USB", true, "USB", "USB", "USB"},
};

bool DeviceIsSelected(const char* className, const DeviceQuery& query)
{
    if (className == nullptr)
        return false;
    bool first = strcmp(className, query.firstClass) == 0;
    bool second = strcmp(className, query.secondClass) == 0;
    return query.excludeMode ? !first && !second : first && second;
}

void FormatDriveSize(uint64_t totalBytes, char* out, size_t outSize)
{
    // The unit steps up only above 1000 of the smaller one.
    double size = (double)totalBytes / 1024000.0;
    if (!(size > 1000.0)) {
        snprintf(out, outSize, "%.2fMB", size);
        return;
    }
    size /= 1024.0;
    if (!(size > 1000.0)) {
        snprintf(out, outSize, "%.2fGB", size);
        return;
    }
    snprintf(out, outSize, "%.2fTB", size / 1024.0);
}

void FormatUsedShare(uint64_t totalFreeBytes, uint64_t totalBytes, char* out, size_t outSize)
{
    // An empty volume has no share to show; 0 rather than "nan".
    float used = 0.0f;
    if (totalBytes > 0) {
        float freeShare = (float)totalFreeBytes / (float)totalBytes;
        used = 1.0f - freeShare;
    }
    snprintf(out, outSize, "%.0f%%", (double)(used * 100.0f));
}

// A bounded, terminated, trimmed copy of a fixed-size text.
static void CopyTrimmed(const char* source, size_t sourceSize, char* target, size_t targetSize)
{
    size_t length = 0;
    while (length < sourceSize && length < targetSize - 1 && source[length] != '\0') {
        target[length] = source[length];
        ++length;
    }
    target[length] = '\0';
    TrimWhitespace(target);
}

void FormatDriveTexts(const DriveFigures& drive, char* value, size_t valueSize, char* record,
                      size_t recordSize)
{
    char volume[128];
    char fileSystem[128];
    CopyTrimmed(drive.volumeName, sizeof(drive.volumeName), volume, sizeof(volume));
    CopyTrimmed(drive.fileSystemName, sizeof(drive.fileSystemName), fileSystem,
                sizeof(fileSystem));
    char tag[5];
    CopyTrimmed(drive.tag, sizeof(drive.tag), tag, sizeof(tag));
    char size[64];
    FormatDriveSize(drive.totalBytes, size, sizeof(size));
    char used[32];
    FormatUsedShare(drive.totalFreeBytes, drive.totalBytes, used, sizeof(used));
    snprintf(value, valueSize, "%s %s Local %s %s %s", tag, volume, size, fileSystem, used);
    snprintf(record, recordSize, "%s %s %s %s", tag, volume, size, fileSystem);
}
