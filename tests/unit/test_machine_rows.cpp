#include "snapshot/machine_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string MemorySize(uint64_t bytes)
{
    char text[64];
    FormatMemorySize(bytes, text, sizeof(text));
    return text;
}

TEST(MemoryRow, SizeIsInUnitsOf1024000Bytes)
{
    EXPECT_EQ(MemorySize(1024000), "1MB");
    EXPECT_EQ(MemorySize(1023999), "0MB");
    EXPECT_EQ(MemorySize(2147483647), "2097MB");
    // 64 GB: the 64-bit figures, not a 32-bit one that stops at 4 GB.
    EXPECT_EQ(MemorySize(68719476736ull), "67108MB");
}

TEST(MemoryRow, UsePercentIsPhysicalUsePlusUsedPageFile)
{
    // Half the memory in use and a page file a quarter used of physical size.
    MemoryFigures memory = {4096000000ull, 2048000000ull, 3072000000ull, 2048000000ull};
    EXPECT_FLOAT_EQ(MemoryUsePercent(memory), 75.0f);
    // Not capped at 100.
    MemoryFigures heavy = {1000, 0, 900, 0};
    EXPECT_FLOAT_EQ(MemoryUsePercent(heavy), 190.0f);
    // Figures that make no sense give no division by zero or wrap-around.
    EXPECT_EQ(MemoryUsePercent(MemoryFigures{0, 0, 0, 0}), 0.0f);
    EXPECT_FLOAT_EQ(MemoryUsePercent(MemoryFigures{1000, 500, 100, 200}), 50.0f);
}

TEST(MemoryRow, ExtremesFollowTheFiguresBeforeTruncation)
{
    RunningExtremes extremes = InitialExtremes();
    char value[128];
    // 57.9 % is shown as 57 and kept as 57 in both extremes.
    MemoryFigures first = {1000000000ull, 421000000ull, 0, 0};
    FormatMemoryValue(first, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "976MB 57% [Min 57% Max 57%]");

    // 57.4 is below 57.9 but not below the kept 57: the minimum stays.
    MemoryFigures second = {1000000000ull, 426000000ull, 0, 0};
    FormatMemoryValue(second, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "976MB 57% [Min 57% Max 57%]");
    EXPECT_EQ(extremes.memoryMinPercent, 57);

    MemoryFigures third = {1000000000ull, 900000000ull, 0, 0};
    FormatMemoryValue(third, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "976MB 10% [Min 10% Max 57%]");
    MemoryFigures fourth = {1000000000ull, 100000000ull, 0, 0};
    FormatMemoryValue(fourth, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "976MB 90% [Min 10% Max 90%]");
}

TEST(ProcessRow, CountsAndExtremesOverSeveralSweeps)
{
    RunningExtremes extremes = InitialExtremes();
    char value[128];
    FormatProcessValue(48, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "48 [Min 48 Max 48]");
    FormatProcessValue(45, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "45 [Min 45 Max 48]");
    FormatProcessValue(52, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "52 [Min 45 Max 52]");
    // Past the 4096 ids of a fixed buffer: counted in full.
    FormatProcessValue(5000, extremes, value, sizeof(value));
    EXPECT_STREQ(value, "5000 [Min 45 Max 5000]");
}

TEST(DeviceRows, ClassesAreSelectedExactlyInBothModes)
{
    const DeviceQuery& display = kDeviceQueries[0];
    const DeviceQuery& usb = kDeviceQueries[3];
    EXPECT_TRUE(DeviceIsSelected("Display", display));
    EXPECT_FALSE(DeviceIsSelected("display", display)) << "other capitals do not match";
    EXPECT_FALSE(DeviceIsSelected("Net", display));
    EXPECT_FALSE(DeviceIsSelected(nullptr, display));

    EXPECT_TRUE(DeviceIsSelected("HIDClass", usb));
    EXPECT_TRUE(DeviceIsSelected("usb", usb)) << "only the exact controller class is left out";
    EXPECT_FALSE(DeviceIsSelected("USB", usb));

    const char* labels[] = {"DISPLAY", "MEDIA", "NETWORK", "USB"};
    const char* enumerators[] = {"PCI", "PCI", "PCI", "USB"};
    for (int i = 0; i < kDeviceQueryCount; ++i) {
        EXPECT_STREQ(kDeviceQueries[i].label, labels[i]);
        EXPECT_STREQ(kDeviceQueries[i].enumerator, enumerators[i]);
        EXPECT_EQ(kDeviceQueries[i].excludeMode, i == 3);
    }
}

std::string DriveSize(uint64_t bytes)
{
    char text[64];
    FormatDriveSize(bytes, text, sizeof(text));
    return text;
}

TEST(DriveRows, SizeStepsUpOnlyAboveAThousandUnits)
{
    EXPECT_EQ(DriveSize(1024000000ull), "1000.00MB");
    EXPECT_EQ(DriveSize(1024001024ull), "0.98GB");
    EXPECT_EQ(DriveSize(1010ull * 1024000ull), "0.99GB");
    EXPECT_EQ(DriveSize(500107862016ull), "476.94GB");
    EXPECT_EQ(DriveSize(1048576000000ull), "1000.00GB");
    EXPECT_EQ(DriveSize(4000787030016ull), "3.73TB");
    EXPECT_EQ(DriveSize(0), "0.00MB");
}

TEST(DriveRows, UsedShareIsRoundedToAWholeNumber)
{
    char text[16];
    FormatUsedShare(37, 100, text, sizeof(text));
    EXPECT_STREQ(text, "63%");
    FormatUsedShare(874, 1000, text, sizeof(text));
    EXPECT_STREQ(text, "13%");
    FormatUsedShare(100, 100, text, sizeof(text));
    EXPECT_STREQ(text, "0%");
    FormatUsedShare(0, 0, text, sizeof(text));
    EXPECT_STREQ(text, "0%") << "an empty volume gives no nan";
}

DriveFigures Drive(const char* tag, const char* volume, uint64_t total, uint64_t totalFree,
                   const char* fileSystem)
{
    DriveFigures drive;
    memset(&drive, 0, sizeof(drive));
    strcpy(drive.tag, tag);
    strcpy(drive.volumeName, volume);
    strcpy(drive.fileSystemName, fileSystem);
    drive.totalBytes = total;
    drive.totalFreeBytes = totalFree;
    return drive;
}

TEST(DriveRows, ValueAndRecordLine)
{
    char value[256];
    char record[256];
    FormatDriveTexts(Drive("[C:]", " System ", 500107862016ull, 185039908946ull, "NTFS\t"),
                     value, sizeof(value), record, sizeof(record));
    EXPECT_STREQ(value, "[C:] System Local 476.94GB NTFS 63%");
    EXPECT_STREQ(record, "[C:] System 476.94GB NTFS");

    // No label: two spaces after the tag, in both.
    FormatDriveTexts(Drive("[D:]", "", 1000000000000ull, 880000000000ull, "NTFS"), value,
                     sizeof(value), record, sizeof(record));
    EXPECT_STREQ(value, "[D:]  Local 953.67GB NTFS 12%");
    EXPECT_STREQ(record, "[D:]  953.67GB NTFS");
}

}  // namespace
