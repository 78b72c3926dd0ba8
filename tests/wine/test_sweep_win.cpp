// The sweep against the real registry and system calls.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/trim_whitespace.h"
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
