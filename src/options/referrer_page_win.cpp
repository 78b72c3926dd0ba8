#include "options/referrer_page_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "app/app_state_win.h"
#include "options/referrer_page.h"

// The whole value, however long, so that the length rule sees its real
// length; an unset variable reads as empty. Read from the process
// environment rather than the C library's copy taken at start.
static std::string ReadEnvironmentValue(const char* name)
{
    DWORD needed = GetEnvironmentVariableA(name, NULL, 0);
    if (needed == 0)
        return std::string();
    std::string value(needed, '\0');
    DWORD length = GetEnvironmentVariableA(name, &value[0], needed);
    if (length == 0 || length >= needed)
        return std::string();
    value.resize(length);
    return value;
}

// Text mode: each line feed goes to the file as CR LF. A page that could not
// be written whole counts as not written.
static bool WritePage(const char* path, const char* text)
{
    FILE* page = fopen(path, "w+");
    if (page == NULL)
        return false;
    bool written = fputs(text, page) >= 0;
    return fclose(page) == 0 && written;
}

void OpenReferrerPage(const char* address)
{
    if (address == NULL)
        return;
    char pageName[kReferrerPathSize];
    ComposeReferrerPageName(appState.caption, pageName, sizeof(pageName));
    std::string temp = ReadEnvironmentValue("TEMP");
    std::string tmp = ReadEnvironmentValue("TMP");

    char pagePath[kReferrerPathSize];
    if (ComposeReferrerPagePath(temp.c_str(), tmp.c_str(), pageName, pagePath,
                                sizeof(pagePath)) &&
        ComposeReferrerPageText(pageName, address, appState.referrerPageText,
                                sizeof(appState.referrerPageText)) &&
        WritePage(pagePath, appState.referrerPageText)) {
        ShellExecuteA(NULL, NULL, pagePath, NULL, NULL, SW_SHOWNORMAL);
        return;
    }
    ShellExecuteA(NULL, NULL, address, NULL, NULL, SW_SHOWNORMAL);
}
