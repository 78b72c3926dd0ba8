// Checks any marker first line against the acceptance sentence.
//
// Input: the line, then optionally a NUL and a caption. Without a caption the
// program's own is used.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/terms.h"
#include "app/trim_whitespace.h"

// The buffers the program reads the marker line and composes the sentence in.
static const size_t kLineSize = 4096;
static const size_t kSentenceSize = 1024;

static void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "violated: %s\n", what);
        abort();
    }
}

static bool IsBlank(char character)
{
    return character == ' ' || character == '\t' || character == '\n';
}

static bool StartsWith(const std::string& text, const char* prefix, size_t prefixLength)
{
    return text.size() >= prefixLength && memcmp(text.data(), prefix, prefixLength) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* nul = static_cast<const char*>(memchr(bytes, '\0', size));
    std::string line(bytes, nul != nullptr ? (size_t)(nul - bytes) : size);
    std::string caption = nul != nullptr ? std::string(nul + 1, size - (size_t)(nul + 1 - bytes))
                                         : std::string("Tallyview-ZezedazUrod v1.4.0.0");
    // A caption stops at its first NUL, as the C text it is.
    caption.resize(strlen(caption.c_str()));

    char sentence[kSentenceSize];
    ComposeAcceptanceSentence(caption.c_str(), sentence, sizeof(sentence));
    const size_t sentenceLength = strlen(sentence);
    Require(sentenceLength < kSentenceSize, "sentence fits its buffer");
    Require(sentenceLength == 0 ||
                (!IsBlank(sentence[0]) && !IsBlank(sentence[sentenceLength - 1])),
            "the sentence is trimmed");

    // The line as the program holds it: in a buffer of its own size.
    if (line.size() >= kLineSize)
        line.resize(kLineSize - 1);
    std::vector<char> held(line.begin(), line.end());
    held.push_back('\0');
    std::vector<char> trimmedBuffer(held);
    TrimWhitespace(trimmedBuffer.data());
    const std::string trimmed(trimmedBuffer.data());

    bool accepted = MarkerAcceptsTerms(held.data(), sentence);
    Require(std::string(held.data()) == line, "the line is left as it was");
    bool expected = sentenceLength > 0 && StartsWith(trimmed, sentence, sentenceLength - 1);
    if (accepted)
        Require(expected, "accepted: the trimmed line starts with the sentence less its stop");
    else
        Require(!expected, "refused: the trimmed line lacks the sentence less its stop");

    Require(!MarkerAcceptsTerms(held.data(), ""), "an empty sentence accepts nothing");
    Require(!MarkerAcceptsTerms(nullptr, sentence), "no line accepts nothing");

    // What the program writes is what it accepts, with blanks around it, with
    // more after it, or without its full stop.
    if (sentenceLength > 0) {
        std::string written(sentence);
        Require(MarkerAcceptsTerms(written.c_str(), sentence), "the written sentence is accepted");
        std::string padded = " \t\n" + written + "\n \t";
        Require(MarkerAcceptsTerms(padded.c_str(), sentence), "blanks around it are accepted");
        std::string extended = written + line;
        Require(MarkerAcceptsTerms(extended.c_str(), sentence), "text after it is accepted");
        // Unless a blank comes before the stop, which trimming would take too.
        std::string stopless = written.substr(0, sentenceLength - 1);
        if (sentenceLength == 1 || !IsBlank(sentence[sentenceLength - 2]))
            Require(MarkerAcceptsTerms(stopless.c_str(), sentence), "no full stop is accepted");
        if (sentenceLength > 1) {
            std::string shorter = written.substr(0, sentenceLength - 2);
            Require(!MarkerAcceptsTerms(shorter.c_str(), sentence),
                    "one more character short is refused");
        }
    }
    return 0;
}
