#include "store/history_win.h"

#include <windows.h>

#include <cstring>
#include <ctime>

#include "app/app_state_win.h"
#include "store/history.h"
#include "store/snapshot_file.h"
#include "store/snapshot_store_win.h"

// The history's file is read whole up to this size; a larger one is not the
// program's.
static const size_t kHistoryReadLimit = 1 << 20;

// A text as UTF-8: as it is where UTF-8 is the ANSI code page, else its lines
// in that code page converted (Windows 7 to 10 before 1903).
static const char* AsUtf8(const char* text, ItemList<char>& utf8)
{
    if (GetACP() == CP_UTF8)
        return text;
    return ConvertToUtf8Lines(text, CP_ACP, utf8) ? utf8.items : NULL;
}

static bool ReadHistory(const char* logPath, ItemList<char>& bytes)
{
    HANDLE file = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    char chunk[16384];
    DWORD got = 0;
    bool read = true;
    while (read && (read = ReadFile(file, chunk, sizeof(chunk), &got, NULL) != FALSE) && got > 0)
        read = bytes.count + got <= kHistoryReadLimit && AppendItems(bytes, chunk, got);
    CloseHandle(file);
    return read;
}

static bool WriteAll(HANDLE file, const ItemList<char>& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.items, (DWORD)bytes.count, &written, NULL) &&
           written == bytes.count && FlushFileBuffers(file);
}

// Puts the open temporary file in place of the history in one step, while
// it is still held; a refusal (antivirus, the indexer) is tried again a few
// times.
static bool ReplaceHistory(HANDLE temp, const char* logPath)
{
    WCHAR path[MAX_PATH];
    int units = MultiByteToWideChar(CP_ACP, 0, logPath, -1, path, MAX_PATH);
    if (units <= 0)
        return false;
    union {
        FILE_RENAME_INFO info;
        char room[sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    } rename;
    ZeroMemory(&rename, sizeof(rename));
    rename.info.ReplaceIfExists = TRUE;
    rename.info.FileNameLength = (DWORD)((units - 1) * sizeof(WCHAR));
    memcpy(rename.info.FileName, path, units * sizeof(WCHAR));
    for (uint32_t attempt = 0;; ++attempt) {
        if (SetFileInformationByHandle(temp, FileRenameInfo, &rename, sizeof(rename)))
            return true;
        DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt >= 2)
            return false;
        Sleep(ReplaceRetryWait(attempt));
    }
}

// The temporary file is opened without sharing before the history is read and
// held until it has replaced it: of two sessions saving at once, the second
// cannot open it and gives up its entry, so the file is never half of each.
static void WriteHistory(const char* logPath, const char* tempPath, const ItemList<char>& entry)
{
    HANDLE temp = CreateFileA(tempPath, GENERIC_WRITE | DELETE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (temp == INVALID_HANDLE_VALUE)
        return;
    ItemList<char> existing = ItemList<char>();
    ItemList<char> bytes = ItemList<char>();
    bool written = ReadHistory(logPath, existing) &&
                   UpdateHistoryFile(existing.items, existing.count, entry.items, entry.count, bytes) &&
                   WriteAll(temp, bytes) && ReplaceHistory(temp, logPath);
    if (!written) {
        FILE_DISPOSITION_INFO dispose = {TRUE};
        SetFileInformationByHandle(temp, FileDispositionInfo, &dispose, sizeof(dispose));
    }
    CloseHandle(temp);
    FreeItems(existing);
    FreeItems(bytes);
}

// One event in the Application log, from the source "Tallyview": id 1
// (warning) for a change, 2 (information) for a first entry, the entry's
// text without its empty line as the one string. The program's message table
// shows it as it is once an administrator has registered the source.
static void ReportHistoryEvent(HistoryKind kind, const ItemList<char>& entry)
{
    const int length = entry.count >= 4 ? (int)(entry.count - 4) : 0;
    int units = MultiByteToWideChar(CP_UTF8, 0, entry.items, length, NULL, 0);
    ItemList<WCHAR> text = ItemList<WCHAR>();
    if (units >= 0 && ReserveItems(text, (size_t)units + 1)) {
        MultiByteToWideChar(CP_UTF8, 0, entry.items, length, text.items, units);
        text.items[units] = L'\0';
        HANDLE source = RegisterEventSourceW(NULL, L"Tallyview");
        LPCWSTR strings[1] = {text.items};
        if (source != NULL) {
            ReportEventW(source, kind == HistoryChanged ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE,
                         0, kind == HistoryChanged ? 1 : 2, NULL, 1, 0, strings, NULL);
            DeregisterEventSource(source);
        }
    }
    FreeItems(text);
}

// The user as the sweep read it: the first row's value.
static void CopyUserName(char* user, size_t userSize)
{
    const char* values = appState.report.valueText.text != NULL ? appState.report.valueText.text : "";
    size_t length = strcspn(values, "\n");
    length = length < userSize ? length : userSize - 1;
    memcpy(user, values, length);
    user[length] = '\0';
}

void RecordSavedConfiguration(const char* filePath)
{
    char logPath[MAX_PATH];
    char tempPath[MAX_PATH];
    char stamp[64];
    char user[1024];
    time_t now = time(NULL);
    struct tm local = *localtime(&now);
    struct tm utc = *gmtime(&now);
    FormatHistoryStamp(local, UtcOffsetMinutes(local, utc), stamp, sizeof(stamp));
    CopyUserName(user, sizeof(user));

    // On record: what this run saved last, else the snapshot it loaded.
    const bool saved = appState.recordOnFile.count > 0;
    const char* record = saved ? appState.recordOnFile.items : appState.storedText;
    uint32_t recordLines = saved ? UINT32_MAX : appState.storedLineCount;
    ItemList<char> recordText = ItemList<char>();
    ItemList<char> savedText = ItemList<char>();
    ItemList<char> userText = ItemList<char>();
    ItemList<char> entry = ItemList<char>();
    HistoryKind kind = HistoryNothing;
    const char* before = AsUtf8(record, recordText);
    const char* after = AsUtf8(appState.report.recordText.text, savedText);
    const char* name = AsUtf8(user, userText);
    if (before != NULL && after != NULL && name != NULL &&
        ComposeHistoryEntry(before, recordLines, after, stamp, name, kind, entry) &&
        kind != HistoryNothing) {
        if (ComposeSiblingPath(filePath, "log", logPath, sizeof(logPath)) &&
            ComposeSiblingPath(filePath, "tmp", tempPath, sizeof(tempPath)))
            WriteHistory(logPath, tempPath, entry);
        ReportHistoryEvent(kind, entry);
    }
    // From now on the record is what this save wrote.
    const char* written = appState.report.recordText.text != NULL ? appState.report.recordText.text : "";
    appState.recordOnFile.count = 0;
    if (!AppendItems(appState.recordOnFile, written, strlen(written) + 1))
        appState.recordOnFile.count = 0;
    FreeItems(recordText);
    FreeItems(savedText);
    FreeItems(userText);
    FreeItems(entry);
}

void ForgetSavedConfiguration()
{
    FreeItems(appState.recordOnFile);
}
