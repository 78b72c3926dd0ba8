#include "options/referrer_page_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "app/app_state_win.h"
#include "common/item_list.h"
#include "options/referrer_page.h"

// The whole value, however long, so that the length rule sees its real
// length; an unset variable reads as empty. Read from the process
// environment rather than the C library's copy taken at start. False when
// there was no memory for it.
static bool ReadEnvironmentValue(const char* name, ItemList<char>& value)
{
    if (!ReserveItems(value, 1))
        return false;
    value.items[0] = '\0';
    DWORD needed = GetEnvironmentVariableA(name, NULL, 0);
    if (needed == 0)
        return true;
    if (!ReserveItems(value, needed))
        return false;
    DWORD length = GetEnvironmentVariableA(name, value.items, needed);
    if (length == 0 || length >= needed)
        value.items[0] = '\0';
    return true;
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
    // Without memory for the variables the address is opened directly, as
    // when the page cannot be written.
    ItemList<char> temp = ItemList<char>();
    ItemList<char> tmp = ItemList<char>();
    char pagePath[kReferrerPathSize];
    bool written = ReadEnvironmentValue("TEMP", temp) && ReadEnvironmentValue("TMP", tmp) &&
                   ComposeReferrerPagePath(temp.items, tmp.items, pageName, pagePath,
                                           sizeof(pagePath)) &&
                   ComposeReferrerPageText(pageName, address, appState.referrerPageText,
                                           sizeof(appState.referrerPageText)) &&
                   WritePage(pagePath, appState.referrerPageText);
    FreeItems(temp);
    FreeItems(tmp);
    ShellExecuteA(NULL, NULL, written ? pagePath : address, NULL, NULL, SW_SHOWNORMAL);
}
