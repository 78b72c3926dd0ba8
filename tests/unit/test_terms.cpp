#include "app/terms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kCaption[] = "Tallyview-ZezedazUrod v1.4.0.0";
const std::string kSentence =
    "The Terms and Conditions and Disclaimer for 'Tallyview-ZezedazUrod v1.4.0.0' have been "
    "accepted.";

TEST(TermsTexts, SentenceIsTheNinetySixCharacterLine)
{
    char sentence[256];
    ComposeAcceptanceSentence(kCaption, sentence, sizeof(sentence));
    EXPECT_EQ(std::string(sentence), kSentence);
    EXPECT_EQ(kSentence.size(), 96u);

    // The sentence is trimmed, so a caption with blanks at its end changes it.
    ComposeAcceptanceSentence("X ", sentence, sizeof(sentence));
    EXPECT_STREQ(sentence, "The Terms and Conditions and Disclaimer for 'X ' have been accepted.");
}

TEST(MarkerLine, AcceptsTheSentenceWithBlanksExtraTextOrNoFullStop)
{
    const struct {
        const char* what;
        std::string line;
    } accepted[] = {
        {"exact", kSentence},
        {"as read with its line feed", kSentence + "\n"},
        {"surrounding blanks", " \t\n" + kSentence + " \t\n"},
        {"extra text after it", kSentence + " and more"},
        {"another sentence after it", kSentence + "\nsecond line"},
        {"without the full stop", kSentence.substr(0, kSentence.size() - 1)},
        {"another last character", kSentence.substr(0, kSentence.size() - 1) + "!"},
        {"without the full stop, then blanks", kSentence.substr(0, kSentence.size() - 1) + "  \n"},
    };
    for (const auto& c : accepted)
        EXPECT_TRUE(MarkerAcceptsTerms(c.line.c_str(), kSentence.c_str())) << c.what;
}

TEST(MarkerLine, RefusesAnyDifferenceBeforeTheLastCharacter)
{
    std::string otherVersion = kSentence;
    otherVersion.replace(otherVersion.find("1.4.0.0"), 7, "1.3.0.0");
    std::string otherCase = kSentence;
    otherCase[0] = 't';
    const struct {
        const char* what;
        std::string line;
    } refused[] = {
        {"empty", ""},
        {"blanks only", " \t\n"},
        {"another version", otherVersion},
        {"changed case", otherCase},
        {"one character short of the prefix", kSentence.substr(0, kSentence.size() - 2)},
        {"short line padded with blanks", kSentence.substr(0, kSentence.size() - 2) + "   "},
        {"carriage return before it", "\r" + kSentence},
        {"text before it", "x" + kSentence},
        {"NUL cuts the line", kSentence.substr(0, 10) + std::string(1, '\0') + kSentence.substr(11)},
    };
    for (const auto& c : refused)
        EXPECT_FALSE(MarkerAcceptsTerms(c.line.c_str(), kSentence.c_str())) << c.what;
}

TEST(MarkerLine, AnEmptySentenceOrMissingTextAcceptsNothing)
{
    EXPECT_FALSE(MarkerAcceptsTerms("", ""));
    EXPECT_FALSE(MarkerAcceptsTerms("anything", ""));
    EXPECT_FALSE(MarkerAcceptsTerms(nullptr, kSentence.c_str()));
    EXPECT_FALSE(MarkerAcceptsTerms(kSentence.c_str(), nullptr));
}

}  // namespace
