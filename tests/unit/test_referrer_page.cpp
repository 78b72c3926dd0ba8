#include "options/referrer_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const char kPageName[] = "Tallyview-ZezedazUrod v1.4.0.0 - Internet Referrering Page.htm";
const size_t kNameLength = sizeof(kPageName) - 1;  // 62

std::string PagePath(const char* temp, const char* tmp)
{
    char path[kReferrerPathSize];
    memset(path, 'x', sizeof(path));
    if (!ComposeReferrerPagePath(temp, tmp, kPageName, path, sizeof(path)))
        return "<none>";
    return path;
}

TEST(ReferrerPageName, IsTheCaptionWithTheFixedSuffix)
{
    char name[kReferrerPathSize];
    ComposeReferrerPageName(kCaption, name, sizeof(name));
    EXPECT_STREQ(name, kPageName);
}

TEST(ReferrerPageName, IsCutTo259CharactersAndToItsBuffer)
{
    std::string longCaption(300, 'c');
    char name[400];
    ComposeReferrerPageName(longCaption.c_str(), name, sizeof(name));
    EXPECT_EQ(strlen(name), 259u);

    char small[10];
    ComposeReferrerPageName(kCaption, small, sizeof(small));
    EXPECT_STREQ(small, "Tallyview");
}

TEST(ReferrerPagePath, TakesTempThenTmpAndAddsOneBackslash)
{
    const struct {
        const char* what;
        const char* temp;
        const char* tmp;
        std::string expected;
    } cases[] = {
        {"TEMP wins", "C:\\Temp", "D:\\Tmp", std::string("C:\\Temp\\") + kPageName},
        {"TEMP empty: TMP", "", "D:\\Tmp", std::string("D:\\Tmp\\") + kPageName},
        {"TEMP unset: TMP", nullptr, "D:\\Tmp", std::string("D:\\Tmp\\") + kPageName},
        {"trailing backslash kept single", "C:\\Temp\\", "", std::string("C:\\Temp\\") + kPageName},
        {"drive root", "C:\\", nullptr, std::string("C:\\") + kPageName},
        {"forward slash still gets a backslash", "C:/Temp/", "",
         std::string("C:/Temp/\\") + kPageName},
        {"both empty", "", "", "<none>"},
        {"both unset", nullptr, nullptr, "<none>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PagePath(c.temp, c.tmp), c.expected) << c.what;
}

TEST(ReferrerPagePath, BothVariablesAreHeldToTheLengthLimit)
{
    // Room for a folder: 259 less the name's 62 characters.
    const size_t room = 259 - kNameLength;
    std::string fits(room - 1, 'f');          // plus the backslash: 259 in all
    std::string exact(room, 'e');             // passes the length test, not the path test
    std::string tooLong(room + 1, 'l');
    std::string veryLong(5000, 'v');

    EXPECT_EQ(PagePath(fits.c_str(), ""), fits + "\\" + kPageName);
    EXPECT_EQ(PagePath(fits.c_str(), "").size(), 259u);
    EXPECT_EQ(PagePath(exact.c_str(), ""), "<none>") << "the backslash makes it 260";
    EXPECT_EQ(PagePath((exact + "\\").c_str(), ""), "<none>");
    EXPECT_EQ(PagePath((fits + "\\").c_str(), ""), fits + "\\" + kPageName)
        << "a folder ending in a backslash needs none added";
    EXPECT_EQ(PagePath(tooLong.c_str(), ""), "<none>");
    // The unused variable still counts.
    EXPECT_EQ(PagePath("C:\\Temp", tooLong.c_str()), "<none>");
    EXPECT_EQ(PagePath("C:\\Temp", veryLong.c_str()), "<none>");
    EXPECT_EQ(PagePath("", tooLong.c_str()), "<none>");
    EXPECT_EQ(PagePath("C:\\Temp", exact.c_str()), std::string("C:\\Temp\\") + kPageName);
}

TEST(ReferrerPagePath, RefusesANameThatLeavesNoRoomAndASmallBuffer)
{
    std::string name(260, 'n');
    char path[kReferrerPathSize];
    EXPECT_FALSE(ComposeReferrerPagePath("C:\\T", "", name.c_str(), path, sizeof(path)));
    EXPECT_STREQ(path, "");

    char small[20];
    EXPECT_FALSE(ComposeReferrerPagePath("C:\\Temp", "", kPageName, small, sizeof(small)));
    EXPECT_STREQ(small, "");
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? "\n" : "") + lines[i];
    return text;
}

std::vector<std::string> ExpectedPageLines(const std::string& title, const std::string& address)
{
    return {
        "<html>",
        "<head>",
        "<title>" + title + "</title>",
        "</head>",
        "",
        "<body>",
        "",
        "<font face=\"arial\" size=\"4\">",
        "",
        "Click to visit.....",
        "",
        "<br><br>",
        "",
        "<a href=\"" + address + "\">" + address + "</a><br><br>",
        "",
        "</font>",
        "",
        "<br><br>",
        "",
        "<table border=\"0\" width=\"400\">",
        "<td>",
        "<font face=\"arial\" size=\"2\">",
        "[<a href=\"https://www.example.com\">HollowpineStudio</a> (and it's associates) cannot "
        "be held responsible for the content of linked internet sites/pages.",
        "The content of linked internet sites/pages is the property of their respective owners.]",
        "</font>",
        "</td>",
        "</table>",
        "",
        "</body>",
        "</html>",
    };
}

TEST(ReferrerPageText, IsTheThirtyLineTemplateWithTitleAndLink)
{
    // Bare "&" and "%" stand as given: nothing is escaped or formatted twice.
    const std::string address = "https://payments.example.org/x?a=1&b=%s%d&c=3";
    char text[4096];
    ASSERT_TRUE(ComposeReferrerPageText(kPageName, address.c_str(), text, sizeof(text)));
    std::vector<std::string> expected = ExpectedPageLines(kPageName, address);
    ASSERT_EQ(expected.size(), 30u);
    EXPECT_EQ(std::string(text), JoinLines(expected));
    EXPECT_NE(std::string(text).back(), '\n') << "no line feed after the last line";
}

TEST(ReferrerPageText, RefusesAPageThatWouldBeCutShort)
{
    char text[4096];
    size_t fixed = JoinLines(ExpectedPageLines(kPageName, "")).size();
    std::string address((sizeof(text) - 1 - fixed) / 2, 'a');  // the longest that fits
    ASSERT_TRUE(ComposeReferrerPageText(kPageName, address.c_str(), text, sizeof(text)));
    EXPECT_EQ(strlen(text), fixed + 2 * address.size());

    address += 'a';
    memset(text, 'x', sizeof(text));
    EXPECT_FALSE(ComposeReferrerPageText(kPageName, address.c_str(), text, sizeof(text)));
    EXPECT_STREQ(text, "");
}

TEST(UpdateCheckAddress, AddsABackslashTheQueryAndTheUnescapedVersion)
{
    char address[520];
    ASSERT_TRUE(ComposeUpdateCheckAddress(kProductPageAddress, kVersionString, address,
                                          sizeof(address)));
    EXPECT_STREQ(address,
                 "https://www.example.com/software/tallyview\\version_checker.pl?version="
                 "Tallyview v1.4.0.0");

    ASSERT_TRUE(ComposeUpdateCheckAddress("https://www.example.com\\", "v", address,
                                          sizeof(address)));
    EXPECT_STREQ(address, "https://www.example.com\\version_checker.pl?version=v");

    char small[30];
    EXPECT_FALSE(
        ComposeUpdateCheckAddress(kProductPageAddress, kVersionString, small, sizeof(small)));
    EXPECT_STREQ(small, "");
}

}  // namespace
