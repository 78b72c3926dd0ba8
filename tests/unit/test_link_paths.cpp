#include "links/link_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kName[] = "Tallyview-ZezedazUrod [HollowpineStudio].lnk";

std::string Composed(const std::string& folder, size_t size = kLinkPathSize)
{
    std::string buffer(size, 'X');
    if (!ComposeLinkPath(folder.c_str(), kName, &buffer[0], size))
        return "<refused:" + std::string(buffer.c_str()) + ">";
    return buffer.c_str();
}

TEST(LinkPath, AddsABackslashOnlyWhereMissing)
{
    EXPECT_EQ(Composed("C:\\Users\\ana\\Desktop"),
              std::string("C:\\Users\\ana\\Desktop\\") + kName);
    EXPECT_EQ(Composed("C:\\Users\\ana\\Desktop\\"),
              std::string("C:\\Users\\ana\\Desktop\\") + kName);
    EXPECT_EQ(Composed("C:\\"), std::string("C:\\") + kName);
    EXPECT_EQ(Composed(""), "<refused:>");
}

TEST(LinkPath, IsRefusedRatherThanCutWhenItDoesNotFit)
{
    // 260 bytes hold 259 characters: folder, backslash and name.
    const size_t nameLength = sizeof(kName) - 1;
    const std::string fits = "C:\\" + std::string(259 - 1 - nameLength - 3, 'f');
    EXPECT_EQ(Composed(fits, 260).size(), 259u);
    EXPECT_EQ(Composed(fits + "g", 260), "<refused:>");
    // Without the backslash to add, one more folder character fits.
    EXPECT_EQ(Composed(fits + "\\", 260).size(), 259u);
    EXPECT_EQ(Composed(std::string(600, 'f')), "<refused:>");
}

TEST(WorkingDirectory, IsTheProgramPathUpToItsLastBackslash)
{
    struct Case {
        const char* programPath;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Tools\\Tallyview\\tallyview.exe", "C:\\Tools\\Tallyview"},
        {"C:\\tallyview.exe", "C:"},
        {"\\\\server\\share\\tallyview.exe", "\\\\server\\share"},
        {"tallyview.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        char directory[kLinkPathSize] = "stale";
        EXPECT_TRUE(DeriveWorkingDirectory(c.programPath, directory, sizeof(directory)))
            << c.programPath;
        EXPECT_STREQ(directory, c.expected) << c.programPath;
    }
    char small[6] = "stale";
    EXPECT_FALSE(DeriveWorkingDirectory("C:\\Tools\\x.exe", small, sizeof(small)));
    EXPECT_STREQ(small, "");
}

}  // namespace
