#include "options/referrer_page_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "app/app_state_win.h"
#include "common/item_list.h"
#include "options/referrer_page.h"

// The whole value as ANSI text, however long, so that the length rule sees
// its real length in bytes; an unset variable reads as empty. Read from the
// process environment rather than the C library's copy taken at start, and
// through the wide call: some systems' ANSI call counts a UTF-8 value in
// characters and cuts it. False when there was no memory for it.
static bool ReadEnvironmentValue(const WCHAR* name, ItemList<char>& value)
{
    ItemList<WCHAR> wide = ItemList<WCHAR>();
    DWORD needed = GetEnvironmentVariableW(name, NULL, 0);
    bool read = ReserveItems(wide, needed + 1);
    DWORD length = read ? GetEnvironmentVariableW(name, wide.items, needed + 1) : 0;
    if (length > needed)
        length = 0;
    int bytes = read ? WideCharToMultiByte(CP_ACP, 0, wide.items, (int)length, NULL, 0, NULL, NULL)
                     : 0;
    read = read && ReserveItems(value, (size_t)bytes + 1);
    if (read) {
        WideCharToMultiByte(CP_ACP, 0, wide.items, (int)length, value.items, bytes, NULL, NULL);
        value.items[bytes] = '\0';
    }
    FreeItems(wide);
    return read;
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
    bool written = ReadEnvironmentValue(L"TEMP", temp) && ReadEnvironmentValue(L"TMP", tmp) &&
                   ComposeReferrerPagePath(temp.items, tmp.items, pageName, pagePath,
                                           sizeof(pagePath)) &&
                   ComposeReferrerPageText(pageName, address, appState.referrerPageText,
                                           sizeof(appState.referrerPageText)) &&
                   WritePage(pagePath, appState.referrerPageText);
    FreeItems(temp);
    FreeItems(tmp);
    // A page no program opens (no handler for .htm, or a policy against it)
    // leaves the address to be opened directly, as an unwritten page does.
    if (!written || (INT_PTR)ShellExecuteA(NULL, NULL, pagePath, NULL, NULL, SW_SHOWNORMAL) <= 32)
        ShellExecuteA(NULL, NULL, address, NULL, NULL, SW_SHOWNORMAL);
}
