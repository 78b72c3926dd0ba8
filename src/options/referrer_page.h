#pragma once

#include <cstddef>

// Web addresses of the maker and of this product, and the version string sent
// with the update check.
extern const char kMakerSiteAddress[];    // "https://www.example.com"
extern const char kProductPageAddress[];  // the maker's site + "/software/tallyview"
extern const char kVersionString[];       // "Tallyview v1.4.0.0"

// Size of a path buffer (MAX_PATH): a page name or path holds at most 259
// characters.
const size_t kReferrerPathSize = 260;

// The page file name: the program caption followed by
// " - Internet Referrering Page.htm", cut to 259 characters (and to the
// buffer).
void ComposeReferrerPageName(const char* caption, char* name, size_t nameSize);

// Chooses the page folder and builds the page path. The values of "TEMP" and
// "TMP" are given as read (an unset variable as an empty text or null).
// False, for the address to be opened directly, when either value is longer
// than 259 less the length of the name, when both are empty, or when the
// folder, a backslash (only if it does not already end in one) and the name
// come to more than 259 characters.
bool ComposeReferrerPagePath(const char* tempValue, const char* tmpValue, const char* pageName,
                             char* path, size_t pathSize);

// The 30-line page, lines joined by line feeds, no line feed after the last:
// its title is the page name, its link goes to the address and shows it. No
// HTML escaping. False (and an empty text) when it does not fit.
bool ComposeReferrerPageText(const char* pageName, const char* address, char* text,
                             size_t textSize);

// The update-check address: the product address, a backslash (only if it does
// not already end in one), "version_checker.pl?version=" and the version,
// unescaped. False (and an empty text) when it does not fit.
bool ComposeUpdateCheckAddress(const char* productAddress, const char* version, char* address,
                               size_t addressSize);
