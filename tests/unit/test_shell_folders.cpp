#include "links/shell_folders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const uint32_t kExpandableStringType = 2;  // REG_EXPAND_SZ

// Applies `bytes` as the query returned them, from a buffer of exactly the
// size the query is given, so reading past it trips the sanitizer.
ShellFolderLocation Apply(const std::string& bytes, uint32_t byteCount, size_t cut,
                          uint32_t type = kRegistryStringType, bool queried = true)
{
    std::vector<char> buffer(kShellFolderValueSize, 'Z');
    memcpy(buffer.data(), bytes.data(), bytes.size());
    ShellFolderLocation location;
    memset(&location, 0, sizeof(location));
    strcpy(location.path, "C:\\Earlier");
    location.found = 1;
    ApplyShellFolderValue(queried, type, buffer.data(), byteCount, cut, location);
    return location;
}

// A terminated string value, as the registry returns it.
ShellFolderLocation ApplyText(const std::string& text, size_t cut = 0)
{
    return Apply(text + '\0', (uint32_t)text.size() + 1, cut);
}

TEST(ShellFolderValue, TrimsBlanksAndLineFeedsButKeepsACarriageReturn)
{
    ShellFolderLocation location = ApplyText(" \t C:\\Users\\ana\\Desktop\n");
    EXPECT_EQ(location.found, 1);
    EXPECT_STREQ(location.path, "C:\\Users\\ana\\Desktop");

    location = ApplyText("\tC:\\Desktop\r\n");
    EXPECT_EQ(location.found, 1);
    EXPECT_STREQ(location.path, "C:\\Desktop\r");
}

TEST(ShellFolderValue, UnusableValuesAreNotFoundAndKeepTheEarlierPath)
{
    struct Case {
        const char* what;
        ShellFolderLocation location;
    };
    const Case cases[] = {
        {"one character", ApplyText("C")},
        {"one character among blanks", ApplyText(" \tC\n ")},
        {"empty", ApplyText("")},
        {"blanks only", ApplyText(" \t\n")},
        {"expandable string",
         Apply(std::string("C:\\Folder", 10), 10, 0, kExpandableStringType)},
        {"query failed", Apply("C:\\Folder", 10, 0, kRegistryStringType, false)},
        {"expandable application data",
         Apply(std::string("C:\\Data", 8), 8, kUserQuickLaunchCut, kExpandableStringType)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.location.found, 0) << c.what;
        EXPECT_STREQ(c.location.path, "C:\\Earlier") << c.what;
    }
}

TEST(ShellFolderValue, TextEndsAtTheReturnedByteCount)
{
    // Bytes past the count are left over from elsewhere and do not count.
    EXPECT_STREQ(Apply("C:\\FolderJUNK", 9, 0).path, "C:\\Folder");
    // An inner terminator ends the text early.
    EXPECT_STREQ(Apply(std::string("C:\\A\0B", 6), 6, 0).path, "C:\\A");
}

TEST(ShellFolderValue, ValueFillingTheWholeBufferIsReadWhole)
{
    const std::string full(kShellFolderValueSize, 'p');
    ShellFolderLocation location = Apply(full, kShellFolderValueSize, 0);
    EXPECT_EQ(location.found, 1);
    EXPECT_EQ(std::string(location.path), full);

    // A count beyond the buffer is never followed.
    location = Apply(full, 5000, 0);
    EXPECT_EQ(std::string(location.path), full);

    location = Apply(full, kShellFolderValueSize, kMachineQuickLaunchCut);
    EXPECT_EQ(std::string(location.path), full + "\\" + kQuickLaunchSuffix);
}

TEST(ShellFolderValue, QuickLaunchIsComposedFromApplicationData)
{
    const std::string appData = "C:\\" + std::string(247, 'd');  // 250 characters
    ShellFolderLocation user = ApplyText(appData, kUserQuickLaunchCut);
    EXPECT_EQ(user.found, 1);
    EXPECT_EQ(std::string(user.path),
              appData.substr(0, 218) + "\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_EQ(strlen(user.path), 218u + 1 + 40);
    EXPECT_EQ(strlen(ApplyText(appData.substr(0, 219), kUserQuickLaunchCut).path), 259u);

    ShellFolderLocation machine = ApplyText(appData, kMachineQuickLaunchCut);
    EXPECT_EQ(std::string(machine.path),
              appData + "\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_EQ(strlen(machine.path), 291u);

    // A value already ending in a backslash gets no second one.
    EXPECT_STREQ(ApplyText(" C:\\Data\\\n", kUserQuickLaunchCut).path,
                 "C:\\Data\\Microsoft\\Internet Explorer\\Quick Launch");
}

}  // namespace
