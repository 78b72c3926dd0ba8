// The sweep against the real registry and system calls.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/trim_whitespace.h"
#include "snapshot/machine_rows.h"
#include "snapshot/sweep_win.h"

static std::vector<std::string> SplitLines(const char* text)
{
    std::vector<std::string> lines;
    if (text == NULL || text[0] == '\0')
        return lines;
    std::string line;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *p;
        }
    }
    lines.push_back(line);
    return lines;
}

// The processor names as the registry holds them, trimmed, in key order.
static std::vector<std::string> RegistryProcessorNames()
{
    std::vector<std::string> names;
    HKEY key;
    const char* path = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char subkey[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, subkey, sizeof(subkey)) == ERROR_SUCCESS; ++i) {
        HKEY processor;
        std::string full = std::string(path) + "\\" + subkey;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_READ, &processor) !=
            ERROR_SUCCESS)
            continue;
        char name[1024] = {0};
        DWORD size = sizeof(name) - 1;
        if (RegQueryValueExA(processor, "ProcessorNameString", NULL, NULL, (BYTE*)name, &size) ==
            ERROR_SUCCESS) {
            TrimWhitespace(name);
            names.push_back(name);
        } else {
            names.push_back("Unknown CPU");
        }
        RegCloseKey(processor);
    }
    RegCloseKey(key);
    return names;
}

class SweepUnderWine : public testing::Test {
protected:
    void SetUp() override { InitializeAppState(GetModuleHandleA(NULL)); }
    void TearDown() override { FreeReport(appState.report); }
};

TEST_F(SweepUnderWine, ComputerNameRowHoldsTheQueriedName)
{
    char expected[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof(expected);
    ASSERT_TRUE(GetComputerNameA(expected, &size));

    ASSERT_TRUE(GetInformation());
    std::vector<std::string> labels = SplitLines(appState.report.labelText.text);
    std::vector<std::string> values = SplitLines(appState.report.valueText.text);
    std::vector<std::string> records = SplitLines(appState.report.recordText.text);
    ASSERT_EQ(labels.size(), values.size());
    ASSERT_GE(labels.size(), 4u);
    EXPECT_EQ(labels[0], "USERNAME");
    EXPECT_EQ(labels[1], "DATE&TIME");
    EXPECT_EQ(labels[2], "COMPUTERNAME");
    EXPECT_EQ(labels[3], "UPTIME");
    EXPECT_EQ(values[2], expected);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0], expected);
}

TEST_F(SweepUnderWine, OneProcessorRowPerRegistryKeyWithTheTrimmedName)
{
    std::vector<std::string> names = RegistryProcessorNames();
    ASSERT_FALSE(names.empty()) << "the prefix lists no processor key";

    ASSERT_TRUE(GetInformation());
    std::vector<std::string> labels = SplitLines(appState.report.labelText.text);
    std::vector<std::string> values = SplitLines(appState.report.valueText.text);
    std::vector<std::string> cpuValues;
    for (size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == "CPU")
            cpuValues.push_back(values[i]);

    ASSERT_EQ(cpuValues.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::string prefix = names[i] + " [@~";
        EXPECT_EQ(cpuValues[i].compare(0, prefix.size(), prefix), 0)
            << "row " << i << ": '" << cpuValues[i] << "' does not start with '" << prefix << "'";
        EXPECT_EQ(cpuValues[i].substr(cpuValues[i].size() - 4), "MHz]") << cpuValues[i];
    }
}

TEST_F(SweepUnderWine, UserNameRowHoldsTheLogonName)
{
    char expected[1024];
    DWORD size = sizeof(expected);
    ASSERT_TRUE(GetUserNameA(expected, &size));
    ASSERT_TRUE(GetInformation());
    std::vector<std::string> values = SplitLines(appState.report.valueText.text);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[0], expected);
}

TEST_F(SweepUnderWine, FullSweepKeepsTheReportInvariants)
{
    ASSERT_TRUE(GetInformation());
    const SnapshotReport& report = appState.report;
    std::vector<std::string> labels = SplitLines(report.labelText.text);
    std::vector<std::string> values = SplitLines(report.valueText.text);
    std::vector<std::string> records = SplitLines(report.recordText.text);
    ASSERT_EQ(labels.size(), values.size());
    ASSERT_EQ((int32_t)labels.size(), report.iconCount);
    ASSERT_EQ(report.iconCount, report.rowKindCount);
    size_t configurationRows = 0;
    for (int32_t row = 0; row < report.rowKindCount; ++row) {
        EXPECT_TRUE(report.rowKinds[row] == 0 || report.rowKinds[row] == 1) << row;
        EXPECT_TRUE(report.iconIndexes[row] == 0 || report.iconIndexes[row] == 1) << row;
        configurationRows += report.rowKinds[row] == 1;
    }
    EXPECT_EQ(records.size(), configurationRows);
    for (const char* text : {report.labelText.text, report.valueText.text, report.recordText.text})
        EXPECT_NE(text[strlen(text) - 1], '\n');
}

TEST_F(SweepUnderWine, MemoryDevicesAndDrivesMatchIndependentQueries)
{
    ASSERT_TRUE(GetInformation());
    std::vector<std::string> labels = SplitLines(appState.report.labelText.text);
    std::vector<std::string> values = SplitLines(appState.report.valueText.text);
    std::vector<std::string> records = SplitLines(appState.report.recordText.text);

    MEMORYSTATUSEX memory;
    memory.dwLength = sizeof(memory);
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    char size[64];
    FormatMemorySize(memory.ullTotalPhys, size, sizeof(size));
    auto ram = std::find(labels.begin(), labels.end(), "RAM");
    ASSERT_NE(ram, labels.end());
    EXPECT_EQ(values[ram - labels.begin()].compare(0, strlen(size) + 1, std::string(size) + " "),
              0)
        << values[ram - labels.begin()];
    EXPECT_NE(std::find(records.begin(), records.end(), size), records.end());

    // Wine lists one PCI display adapter.
    auto display = std::find(labels.begin(), labels.end(), "DISPLAY");
    ASSERT_NE(display, labels.end());
    EXPECT_EQ(values[display - labels.begin()], "Wine Adapter");

    std::vector<std::string> driveValues;
    for (size_t row = 0; row < labels.size(); ++row)
        if (labels[row] == "DRIVE")
            driveValues.push_back(values[row]);
    // Tag and size of every fixed drive whose size can be read, A to Z.
    std::vector<std::pair<std::string, std::string>> fixedDrives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        ULARGE_INTEGER available, total, totalFree;
        if (GetDriveTypeA(root) != DRIVE_FIXED ||
            !GetDiskFreeSpaceExA(root, &available, &total, &totalFree))
            continue;
        FormatDriveSize(total.QuadPart, size, sizeof(size));
        fixedDrives.push_back({std::string("[") + letter + ":]", size});
    }
    ASSERT_FALSE(fixedDrives.empty()) << "Wine has fixed drives C: and Z:";
    ASSERT_EQ(driveValues.size(), fixedDrives.size());
    for (size_t i = 0; i < driveValues.size(); ++i) {
        EXPECT_EQ(driveValues[i].compare(0, 5, fixedDrives[i].first + " "), 0) << driveValues[i];
        EXPECT_NE(driveValues[i].find(" Local " + fixedDrives[i].second + " "), std::string::npos)
            << driveValues[i] << " lacks " << fixedDrives[i].second;
    }
}
