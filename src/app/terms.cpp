#include "app/terms.h"

#include <cstdio>
#include <cstring>

#include "common/trim_whitespace.h"

const char kTermsMarkerFileName[] = "TermsAccepted-Tallyview_DozidodUder.txt";

static const char* TextOrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

// The same three blanks as TrimWhitespace.
static bool IsBlank(char character)
{
    return character == ' ' || character == '\t' || character == '\n';
}

void ComposeAcceptanceSentence(const char* caption, char* sentence, size_t sentenceSize)
{
    if (sentenceSize == 0)
        return;
    snprintf(sentence, sentenceSize,
             "The Terms and Conditions and Disclaimer for '%s' have been accepted.",
             TextOrEmpty(caption));
    TrimWhitespace(sentence);
}

void ComposeDisclaimerText(const char* caption, char* text, size_t textSize)
{
    if (textSize == 0)
        return;
    snprintf(text, textSize,
             "LEGAL DISCLAIMER: This software [%s] is supplied with no warranties given for any "
             "purpose whatsoever. \n\nClick 'Yes' to Accept these terms and continue with use of "
             "this software; Click 'No' to reject these terms and discontinue use of this "
             "software.",
             TextOrEmpty(caption));
}

void ComposeLinksOfferText(const char* caption, char* text, size_t textSize)
{
    if (textSize == 0)
        return;
    snprintf(text, textSize,
             "This is the first time you have run this version of this application.\n\nCreate "
             "links/shortcuts to %s?",
             TextOrEmpty(caption));
}

void ComposeMarkerErrorText(const char* markerName, char* text, size_t textSize)
{
    if (textSize == 0)
        return;
    snprintf(text, textSize, "ERROR: Could not create '%s' ['%s'].", TextOrEmpty(markerName),
             TextOrEmpty(markerName));
}

bool MarkerAcceptsTerms(const char* firstLine, const char* sentence)
{
    if (firstLine == nullptr || sentence == nullptr || sentence[0] == '\0')
        return false;
    // The line as TrimWhitespace would leave it, without copying it.
    size_t end = strlen(firstLine);
    while (end > 0 && IsBlank(firstLine[end - 1]))
        --end;
    size_t start = 0;
    while (start < end && IsBlank(firstLine[start]))
        ++start;

    size_t compared = strlen(sentence) - 1;
    return end - start >= compared && memcmp(firstLine + start, sentence, compared) == 0;
}
