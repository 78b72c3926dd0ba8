#include "options/referrer_page.h"

#include <cstdio>
#include <cstring>

#include "common/join_path.h"

const char kMakerSiteAddress[] = "https://www.example.com";
const char kProductPageAddress[] = "https://www.example.com/software/tallyview";
const char kVersionString[] = "Tallyview v1.4.0.0";

static const char kPageNameSuffix[] = " - Internet Referrering Page.htm";
static const size_t kMaxPathLength = kReferrerPathSize - 1;

// Placeholders in order: title, link target, link text, maker's site.
static const char kPageTemplate[] =
    "<html>\n"
    "<head>\n"
    "<title>%s</title>\n"
    "</head>\n"
    "\n"
    "<body>\n"
    "\n"
    "<font face=\"arial\" size=\"4\">\n"
    "\n"
    "Click to visit.....\n"
    "\n"
    "<br><br>\n"
    "\n"
    "<a href=\"%s\">%s</a><br><br>\n"
    "\n"
    "</font>\n"
    "\n"
    "<br><br>\n"
    "\n"
    "<table border=\"0\" width=\"400\">\n"
    "<td>\n"
    "<font face=\"arial\" size=\"2\">\n"
    "[<a href=\"%s\">HollowpineStudio</a> (and it's associates) cannot be held responsible for "
    "the content of linked internet sites/pages.\n"
    "The content of linked internet sites/pages is the property of their respective owners.]\n"
    "</font>\n"
    "</td>\n"
    "</table>\n"
    "\n"
    "</body>\n"
    "</html>";

static const char* TextOrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

void ComposeReferrerPageName(const char* caption, char* name, size_t nameSize)
{
    if (nameSize == 0)
        return;
    size_t limit = nameSize < kReferrerPathSize ? nameSize : kReferrerPathSize;
    snprintf(name, limit, "%s%s", TextOrEmpty(caption), kPageNameSuffix);
}

bool ComposeReferrerPagePath(const char* tempValue, const char* tmpValue, const char* pageName,
                             char* path, size_t pathSize)
{
    if (pathSize == 0)
        return false;
    path[0] = '\0';
    const char* temp = TextOrEmpty(tempValue);
    const char* tmp = TextOrEmpty(tmpValue);
    size_t nameLength = strlen(pageName);
    if (nameLength > kMaxPathLength)
        return false;
    // Both variables are tested, even the one that is not used.
    size_t room = kMaxPathLength - nameLength;
    if (strlen(temp) > room || strlen(tmp) > room)
        return false;

    const char* folder = temp[0] != '\0' ? temp : tmp;
    if (folder[0] == '\0')
        return false;
    size_t limit = pathSize < kReferrerPathSize ? pathSize : kReferrerPathSize;
    return JoinPath(folder, strlen(folder), pageName, path, limit);
}

bool ComposeReferrerPageText(const char* pageName, const char* address, char* text,
                             size_t textSize)
{
    if (textSize == 0)
        return false;
    int written = snprintf(text, textSize, kPageTemplate, TextOrEmpty(pageName),
                           TextOrEmpty(address), TextOrEmpty(address), kMakerSiteAddress);
    if (written < 0 || (size_t)written >= textSize) {
        // A page cut short would carry a broken link.
        text[0] = '\0';
        return false;
    }
    return true;
}

bool ComposeUpdateCheckAddress(const char* productAddress, const char* version, char* address,
                               size_t addressSize)
{
    if (addressSize == 0)
        return false;
    // The shell's backslash rule, so the address gets a "\\", not a "/".
    char page[512];
    int written = snprintf(page, sizeof(page), "version_checker.pl?version=%s",
                           TextOrEmpty(version));
    if (written < 0 || (size_t)written >= sizeof(page)) {
        address[0] = '\0';
        return false;
    }
    const char* product = TextOrEmpty(productAddress);
    return JoinPath(product, strlen(product), page, address, addressSize);
}
