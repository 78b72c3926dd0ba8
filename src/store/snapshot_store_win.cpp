#include "store/snapshot_store_win.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/app_state_win.h"
#include "snapshot/sweep_win.h"
#include "store/history_win.h"
#include "store/legacy_lines.h"
#include "store/snapshot_file.h"

static const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kUnavailableMarker[] = "BLEUGH";

void ReadAppDataFolder()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char buffer[MAX_PATH];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, "AppData", NULL, &type, (BYTE*)buffer, &size);
    if (result == ERROR_SUCCESS && type == REG_SZ && size > 1 && size <= sizeof(buffer)) {
        buffer[size - 1] = '\0';
        strncpy(appState.appDataPath, buffer, sizeof(appState.appDataPath) - 1);
        appState.appDataPath[sizeof(appState.appDataPath) - 1] = '\0';
        appState.dataFolderAvailable = 1;
    } else {
        // Every user tests the flag first, so this text never reaches a path.
        strcpy(appState.appDataPath, kUnavailableMarker);
        appState.dataFolderAvailable = 0;
    }
    RegCloseKey(key);
}

// Reads the computer name and composes the data folder and snapshot paths,
// creating the folder (its last level only). False when a path would not
// fit: the folder then counts as unavailable rather than being cut into
// another path.
static bool PrepareSnapshotPaths(char* folderPath, char* filePath)
{
    DWORD size = 250;
    GetComputerNameA(appState.computerName, &size);
    if (!ComposeSnapshotPaths(appState.appDataPath, appState.computerName, folderPath, filePath,
                              MAX_PATH))
        return false;
    CreateDirectoryA(folderPath, NULL);
    return true;
}

static uint32_t CurrentTimeSeconds()
{
    return (uint32_t)time(NULL);
}

// Reads the file as a text-mode stream would, into storedText.
static void ReadSnapshotFile(HANDLE file)
{
    SnapshotLoad load;
    BeginSnapshotLoad(appState.storedText, load);
    char chunk[16384];
    DWORD got = 0;
    while (!load.finished && ReadFile(file, chunk, sizeof(chunk), &got, NULL) && got > 0)
        FeedSnapshotBytes(chunk, got, load);
    EndSnapshotLoad(load);
    appState.storedLineCount = load.lineCount;
}

// The earlier build's lines are in the system's legacy ANSI code page, the
// system locale's default; GetACP answers 65001 where UTF-8 is in force.
struct LegacyConversion {
    UINT codePage;
    ItemList<wchar_t> wide;
};

static bool AppendLegacyLine(const char* line, size_t length, void* context, ItemList<char>& out)
{
    LegacyConversion& conversion = *static_cast<LegacyConversion*>(context);
    if (length == 0 || length > INT_MAX)
        return AppendItems(out, line, length);
    int units = MultiByteToWideChar(conversion.codePage, 0, line, (int)length, NULL, 0);
    if (units <= 0)
        return AppendItems(out, line, length);
    if (!ReserveItems(conversion.wide, (size_t)units))
        return false;
    MultiByteToWideChar(conversion.codePage, 0, line, (int)length, conversion.wide.items, units);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, conversion.wide.items, units, NULL, 0, NULL, NULL);
    if (bytes <= 0 || !ReserveItems(out, out.count + (size_t)bytes))
        return bytes <= 0 && AppendItems(out, line, length);
    WideCharToMultiByte(CP_UTF8, 0, conversion.wide.items, units, out.items + out.count, bytes,
                        NULL, NULL);
    out.count += (size_t)bytes;
    return true;
}

bool ConvertToUtf8Lines(const char* text, UINT codePage, ItemList<char>& out)
{
    LegacyConversion conversion = {codePage, ItemList<wchar_t>()};
    bool converted = ConvertLegacyLines(text, AppendLegacyLine, &conversion, out);
    FreeItems(conversion.wide);
    return converted;
}

// A snapshot of the earlier build, read where UTF-8 is the ANSI code page:
// its lines that are not UTF-8 are taken in the legacy code page and held as
// UTF-8 from here on, so that they match this build's lines and show whole
// as MISSING. Where the ANSI code page is the system's own (Windows 7 to 10
// before 1903), the lines are as both builds write them. False when there
// was no memory for it.
static bool ConvertLegacySnapshot()
{
    if (GetACP() != CP_UTF8 || IsValidUtf8(appState.storedText, strlen(appState.storedText)))
        return true;
    DWORD codePage = 0;
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) ||
        codePage == 0 || codePage == CP_UTF8)
        return true;
    ItemList<char> text = ItemList<char>();
    bool converted = ConvertToUtf8Lines(appState.storedText, codePage, text);
    if (converted)
        memcpy(appState.storedText, text.items, text.count);
    FreeItems(text);
    return converted;
}

// A read-only snapshot cannot be opened for reading and writing, so it counts
// as none. Tested on the attribute too, so the answer does not depend on the
// rights of the account (an administrator may open it anyway).
static bool IsReadOnlyFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool LoadAndCompareSnapshot()
{
    ReadAppDataFolder();
    if (!appState.dataFolderAvailable)
        return true;
    char folderPath[MAX_PATH];
    char filePath[MAX_PATH];
    if (!PrepareSnapshotPaths(folderPath, filePath))
        return true;

    if (IsReadOnlyFile(filePath))
        return true;
    HANDLE file = CreateFileA(filePath, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    ReadSnapshotFile(file);
    CloseHandle(file);
    if (!ConvertLegacySnapshot())
        return false;

    // One match flag per stored line. Without them every row would show as
    // changed, so a start short of memory ends as after a failed sweep.
    delete[] appState.storedLineMatched;
    appState.storedLineMatched = NULL;
    if (appState.storedLineCount > 0) {
        appState.storedLineMatched = new (std::nothrow) int32_t[appState.storedLineCount]();
        if (appState.storedLineMatched == NULL)
            return false;
    }

    if (!GetInformation())
        return false;
    appState.lastSweepTime = CurrentTimeSeconds();
    return !SnapshotTextsEqual(appState.report.recordText.text, appState.storedText);
}

// True when there is no snapshot yet or the existing one may be written; a
// read-only snapshot stays as it is.
static bool SnapshotIsWritable(const char* filePath)
{
    if (IsReadOnlyFile(filePath))
        return false;
    HANDLE file = CreateFileA(filePath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool WriteWholeFile(const char* path, const char* bytes, size_t size)
{
    if (size > MAXDWORD)
        return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, (DWORD)size, &written, NULL) && written == size &&
              FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    return ok;
}

// Replaces the snapshot in one step. A file just written, or the snapshot
// itself, can be held for a while by an indexer, a virus scanner or a file
// server's lock, so a refused replace is tried again for about three seconds.
bool ReplaceSnapshot(const char* newPath, const char* filePath)
{
    for (uint32_t attempt = 0;; ++attempt) {
        if (MoveFileExA(newPath, filePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        uint32_t wait = ReplaceRetryWait(attempt);
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || wait == 0)
            return false;
        Sleep(wait);
    }
}

void SaveSnapshot()
{
    ReadAppDataFolder();
    if (!appState.dataFolderAvailable)
        return;
    char folderPath[MAX_PATH];
    char filePath[MAX_PATH];
    if (!PrepareSnapshotPaths(folderPath, filePath) || !SnapshotIsWritable(filePath))
        return;

    // The configuration at the moment of shutdown. Swept before the file is
    // touched, so a failed sweep leaves the saved snapshot as it was.
    if (!GetInformation())
        return;

    char newPath[MAX_PATH];
    if (!ComposeTemporaryPath(filePath, newPath, sizeof(newPath)))
        return;
    ItemList<char> bytes = ItemList<char>();
    bool encoded = EncodeSnapshot(appState.report.recordText.text, bytes);
    bool saved = encoded && snapshotSaveSteps.writeNewFile(newPath, bytes.items, bytes.count) &&
                 snapshotSaveSteps.replaceSnapshot(newPath, filePath);
    if (encoded && !saved)
        DeleteFileA(newPath);
    FreeItems(bytes);
    if (saved)
        RecordSavedConfiguration(filePath);
}

SnapshotSaveSteps snapshotSaveSteps = {WriteWholeFile, ReplaceSnapshot};
