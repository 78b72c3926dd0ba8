#include "remote_list_view.h"

#include <commctrl.h>

#include <cstdio>

// A "MISSING" row can carry a stored line of up to 127999 characters.
static const int kTextCapacity = 131072;
static const UINT kReplyTimeoutMs = 10000;
static const SIZE_T kPageSize = 4096;

static std::string Describe(const char* step)
{
    char text[160];
    snprintf(text, sizeof(text), "%s failed (error %lu)", step, GetLastError());
    return text;
}

// Reads a NUL-terminated text at `address` in the other process, page by
// page, so that a text near the end of a mapping is still read.
static bool ReadRemoteText(HANDLE process, const char* address, std::string& text)
{
    text.clear();
    char chunk[kPageSize];
    while (text.size() < (size_t)kTextCapacity) {
        SIZE_T toPageEnd = kPageSize - ((ULONG_PTR)address % kPageSize);
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, address, chunk, toPageEnd, &read) || read != toPageEnd)
            return false;
        for (SIZE_T i = 0; i < read; ++i) {
            if (chunk[i] == '\0')
                return true;
            text += chunk[i];
        }
        address += read;
    }
    return true;
}

// Sends one item request with the record at `remote` and its text buffer
// right behind it; returns the record as the list view left it.
static bool RequestItem(HANDLE process, HWND list, char* remote, UINT message, int index,
                        int subItem, UINT mask, LVITEMA& item, std::string& text,
                        std::string& failure)
{
    char* remoteText = remote + sizeof(LVITEMA);
    ZeroMemory(&item, sizeof(item));
    item.mask = mask;
    item.iItem = index;
    item.iSubItem = subItem;
    item.pszText = remoteText;
    item.cchTextMax = kTextCapacity;
    item.iImage = -1;
    const char empty = '\0';
    if (!WriteProcessMemory(process, remote, &item, sizeof(item), NULL) ||
        !WriteProcessMemory(process, remoteText, &empty, 1, NULL)) {
        failure = Describe("WriteProcessMemory");
        return false;
    }
    WPARAM wParam = message == LVM_GETITEMTEXTA ? (WPARAM)index : 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(list, message, wParam, (LPARAM)remote, SMTO_NORMAL, kReplyTimeoutMs,
                             &result)) {
        failure = Describe("SendMessageTimeoutA");
        return false;
    }
    if (message == LVM_GETITEMA && result == 0) {
        failure = "LVM_GETITEMA refused item " + std::to_string(index);
        return false;
    }
    if (!ReadProcessMemory(process, remote, &item, sizeof(item), NULL)) {
        failure = Describe("ReadProcessMemory");
        return false;
    }
    // The list view may point the record at its own copy of the text.
    const char* source = item.pszText != NULL ? item.pszText : remoteText;
    if (!ReadRemoteText(process, source, text)) {
        failure = Describe("reading the item text");
        return false;
    }
    return true;
}

static bool ReadRows(HANDLE process, HWND list, char* remote, std::vector<ListRow>& rows,
                     std::string& failure)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kReplyTimeoutMs, &count)) {
        failure = Describe("LVM_GETITEMCOUNT");
        return false;
    }
    for (int index = 0; index < (int)count; ++index) {
        ListRow row;
        LVITEMA item;
        if (!RequestItem(process, list, remote, LVM_GETITEMA, index, 0, LVIF_TEXT | LVIF_IMAGE,
                         item, row.label, failure))
            return false;
        row.image = item.iImage;
        if (!RequestItem(process, list, remote, LVM_GETITEMTEXTA, index, 1, LVIF_TEXT, item,
                         row.value, failure))
            return false;
        rows.push_back(row);
    }
    return true;
}

bool ReadRemoteListView(HWND list, std::vector<ListRow>& rows, std::string& failure)
{
    rows.clear();
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    if (processId == 0) {
        failure = "the list view has no owning process";
        return false;
    }
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION,
                                 FALSE, processId);
    if (process == NULL) {
        failure = Describe("OpenProcess");
        return false;
    }
    char* remote = (char*)VirtualAllocEx(process, NULL, sizeof(LVITEMA) + kTextCapacity,
                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool read = false;
    if (remote == NULL) {
        failure = Describe("VirtualAllocEx");
    } else {
        read = ReadRows(process, list, remote, rows, failure);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return read;
}
