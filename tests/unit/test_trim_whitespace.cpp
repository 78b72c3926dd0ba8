#include "app/trim_whitespace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TrimCase {
    const char* what;
    std::string input;
    std::string expected;
};

std::string Trimmed(std::string text)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    TrimWhitespace(buffer.data());
    return std::string(buffer.data());
}

TEST(TrimWhitespace, RemovesSpacesTabsAndLineFeedsAtBothEndsOnly)
{
    const TrimCase cases[] = {
        {"nothing to trim", "Example", "Example"},
        {"empty stays empty", "", ""},
        {"only blanks become empty", " \t\n \n\t", ""},
        {"single space", " ", ""},
        {"leading spaces", "   Example", "Example"},
        {"trailing spaces", "Example   ", "Example"},
        {"tabs and line feeds at both ends", "\t\n Example CPU \n\t", "Example CPU"},
        {"inner blanks stay", "  Example \t CPU\n2  ", "Example \t CPU\n2"},
        {"trailing carriage return stays", "Name\r", "Name\r"},
        {"carriage return guards the blanks before it", "Name \r", "Name \r"},
        {"leading carriage return stays", "\r Name", "\r Name"},
        {"carriage return alone stays", " \r\n", "\r"},
        {"other control characters stay", "\v\fName\v", "\v\fName\v"},
        {"single character after blanks", "\n\nx", "x"},
        {"high bytes are content", " \xA0" "Caf\xE9\xA0 ", "\xA0" "Caf\xE9\xA0"},
    };
    for (const TrimCase& c : cases) {
        EXPECT_EQ(Trimmed(c.input), c.expected) << c.what;
    }
}

TEST(TrimWhitespace, StopsAtTheTerminatorAndLeavesBytesBeyondIt)
{
    char buffer[] = "  ab  \0  cd";
    TrimWhitespace(buffer);
    EXPECT_EQ(std::string(buffer), "ab");
    EXPECT_EQ(std::string(buffer + 7, 4), "  cd");
}

}  // namespace
