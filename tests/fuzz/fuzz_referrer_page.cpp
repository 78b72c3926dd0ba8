// Composes the referrer page name, path and text and the update-check
// address from any environment values, address, caption and version.
//
// Input: [sizes] then TEMP, TMP, address, caption and version separated by
// NUL bytes; a field that is not there is passed as null (an unset variable).
// The sizes byte picks the smaller buffers each composition is also tried in.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "options/referrer_page.h"

// The program's buffers.
static const size_t kPageTextSize = 4096;
static const size_t kAddressSize = 520;

static const char kPageNameSuffix[] = " - Internet Referrering Page.htm";
static const char kVersionPagePrefix[] = "version_checker.pl?version=";
static const size_t kPageLines = 30;

static void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "violated: %s\n", what);
        abort();
    }
}

static std::string Text(const char* text)
{
    return text != nullptr ? std::string(text) : std::string();
}

static size_t CountLineFeeds(const std::string& text)
{
    size_t count = 0;
    for (char c : text)
        count += c == '\n';
    return count;
}

static bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

static bool NeedsBackslash(const std::string& folder)
{
    return !folder.empty() && folder.back() != '\\';
}

// A buffer of exactly `size` bytes on the heap, so that a write past it is
// caught, prefilled so that a missing terminator shows.
static std::vector<char> Buffer(size_t size)
{
    return std::vector<char>(size, 'Q');
}

static void CheckPageName(const char* caption, size_t nameSize, std::string& name)
{
    std::vector<char> buffer = Buffer(nameSize);
    ComposeReferrerPageName(caption, buffer.data(), nameSize);
    const char* end = static_cast<const char*>(memchr(buffer.data(), '\0', nameSize));
    Require(end != nullptr, "the page name is NUL-terminated in its buffer");
    name = buffer.data();
    Require(name.size() <= kReferrerPathSize - 1, "the page name fits 259 characters");
    std::string full = Text(caption) + kPageNameSuffix;
    size_t limit = nameSize < kReferrerPathSize ? nameSize : kReferrerPathSize;
    Require(name == full.substr(0, limit - 1), "the page name is the caption and suffix, cut");
}

static void CheckPagePath(const char* temp, const char* tmp, const std::string& name,
                          size_t pathSize)
{
    std::vector<char> buffer = Buffer(pathSize);
    bool composed = ComposeReferrerPagePath(temp, tmp, name.c_str(), buffer.data(), pathSize);

    const size_t room = kReferrerPathSize - 1 - name.size();
    const std::string tempText = Text(temp);
    const std::string tmpText = Text(tmp);
    const std::string folder = !tempText.empty() ? tempText : tmpText;
    const std::string expected = folder + (NeedsBackslash(folder) ? "\\" : "") + name;
    const size_t limit = pathSize < kReferrerPathSize ? pathSize : kReferrerPathSize;
    const bool fits = tempText.size() <= room && tmpText.size() <= room && !folder.empty() &&
                      expected.size() < limit;
    Require(composed == fits, "a path is composed exactly when it fits");
    if (!composed) {
        Require(buffer[0] == '\0', "a refused path is empty");
        return;
    }
    Require(memchr(buffer.data(), '\0', pathSize) != nullptr, "the path is NUL-terminated");
    const std::string path(buffer.data());
    Require(path.size() <= kReferrerPathSize - 1, "the path fits 259 characters");
    Require(EndsWith(path, name), "the path ends with the page name");
    Require(path == expected, "the path is the folder, one backslash and the name");
}

static void CheckPageText(const std::string& name, const char* address, size_t textSize,
                          size_t baseLength)
{
    std::vector<char> buffer = Buffer(textSize);
    bool composed = ComposeReferrerPageText(name.c_str(), address, buffer.data(), textSize);
    const std::string addressText = Text(address);
    const size_t expectedLength = baseLength + name.size() + 2 * addressText.size();
    Require(composed == (expectedLength < textSize), "a page is composed exactly when it fits");
    if (!composed) {
        Require(buffer[0] == '\0', "a page that does not fit is left empty");
        return;
    }
    const std::string page(buffer.data());
    Require(page.size() == expectedLength, "the page is the template with its three fillings");
    Require(page.size() < textSize, "the page fits its buffer");
    Require(textSize > kPageTextSize || page.size() <= kPageTextSize - 1,
            "the page fits 4095 characters in the program's buffer");
    Require(CountLineFeeds(page) + 1 ==
                kPageLines + CountLineFeeds(name) + 2 * CountLineFeeds(addressText),
            "the page has 30 lines of its own");
    Require(page.compare(0, 7, "<html>\n") == 0 && EndsWith(page, "\n</html>"),
            "the page is one html page without a final line feed");
    Require(page.find("<title>" + name + "</title>\n") != std::string::npos,
            "the title is the page name");
    Require(page.find("<a href=\"" + addressText + "\">" + addressText + "</a>") !=
                std::string::npos,
            "the link goes to the address and shows it");
    Require(page.find(kMakerSiteAddress) != std::string::npos, "the page names the maker's site");
}

static void CheckUpdateAddress(const char* product, const char* version, size_t addressSize)
{
    std::vector<char> buffer = Buffer(addressSize);
    bool composed = ComposeUpdateCheckAddress(product, version, buffer.data(), addressSize);
    const std::string productText = Text(product);
    const std::string page = kVersionPagePrefix + Text(version);
    const std::string expected = productText + (NeedsBackslash(productText) ? "\\" : "") + page;
    const bool fits = page.size() < 512 && expected.size() < addressSize;
    Require(composed == fits, "an address is composed exactly when it fits");
    if (!composed) {
        Require(addressSize == 0 || buffer[0] == '\0', "a refused address is empty");
        return;
    }
    Require(std::string(buffer.data()) == expected,
            "the address is the product page, one backslash and the version query");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t sizes = data[0];
    std::vector<std::string> fields;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t at = 1; at <= size && fields.size() < 5;) {
        const char* nul = static_cast<const char*>(memchr(bytes + at, '\0', size - at));
        size_t stop = nul != nullptr ? (size_t)(nul - bytes) : size;
        fields.emplace_back(bytes + at, stop - at);
        at = stop + 1;
    }
    auto field = [&fields](size_t index) -> const char* {
        return index < fields.size() ? fields[index].c_str() : nullptr;
    };
    const char* temp = field(0);
    const char* tmp = field(1);
    const char* address = field(2);
    const char* caption = field(3);
    const char* version = field(4);

    std::string name;
    CheckPageName(caption, 1 + sizes % 300, name);
    CheckPageName(caption, kReferrerPathSize, name);

    CheckPagePath(temp, tmp, name, kReferrerPathSize);
    CheckPagePath(temp, tmp, name, 1 + sizes);
    // A larger buffer does not lift the 259-character limit.
    CheckPagePath(temp, tmp, name, 2 * kReferrerPathSize);

    std::vector<char> empty = Buffer(kPageTextSize);
    Require(ComposeReferrerPageText("", "", empty.data(), kPageTextSize), "the bare page fits");
    const size_t baseLength = strlen(empty.data());
    CheckPageText(name, address, kPageTextSize, baseLength);
    CheckPageText(name, address, 1 + (size_t)sizes * 17, baseLength);

    CheckUpdateAddress(address, version, kAddressSize);
    CheckUpdateAddress(address, version, 1 + sizes);
    CheckUpdateAddress(kProductPageAddress, version, kAddressSize);
    return 0;
}
