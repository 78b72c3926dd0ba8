#include "driver.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

std::string programPath;

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
              written == bytes.size();
    return file != INVALID_HANDLE_VALUE && CloseHandle(file) && ok;
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, NULL) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return true;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            DeleteTree(path);
        else
            DeleteFileA(path.c_str());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes.substr(0, 600)) {
        char escaped[8];
        snprintf(escaped, sizeof(escaped), c >= 32 && c < 127 && c != '\\' ? "%c" : "\\x%02X", c);
        text += escaped;
    }
    return "\"" + text + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

// Asked of the window itself: another process's controls keep their text
// where GetWindowText does not look.
std::string Text(HWND window)
{
    char text[4096] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                        &length);
    return std::string(text, length < sizeof(text) ? length : 0);
}

// ---------------------------------------------------------------------------
// Registry values put back by RestoreRegistry, newest first.

struct SavedValue {
    HKEY hive;
    std::string key, name;
    bool existed;
    DWORD type;
    std::string bytes;
};
static std::vector<SavedValue> savedValues;

bool SetRegistryValue(HKEY hive, const char* keyPath, const char* name, DWORD type,
                      const std::string& value, bool remove)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(hive, keyPath, 0, NULL, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    SavedValue saved = {hive, keyPath, name, false, 0, std::string(4096, '\0')};
    DWORD size = (DWORD)saved.bytes.size();
    saved.existed = RegQueryValueExA(key, name, NULL, &saved.type, (BYTE*)&saved.bytes[0],
                                     &size) == ERROR_SUCCESS;
    saved.bytes.resize(saved.existed ? size : 0);
    savedValues.push_back(saved);
    LONG result = remove ? RegDeleteValueA(key, name)
                         : RegSetValueExA(key, name, 0, type, (const BYTE*)value.c_str(),
                                          (DWORD)value.size() + 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || (remove && result == ERROR_FILE_NOT_FOUND);
}

void RestoreRegistry()
{
    for (; !savedValues.empty(); savedValues.pop_back()) {
        const SavedValue& saved = savedValues.back();
        HKEY key = NULL;
        if (RegOpenKeyExA(saved.hive, saved.key.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            continue;
        if (saved.existed)
            RegSetValueExA(key, saved.name.c_str(), 0, saved.type, (const BYTE*)saved.bytes.data(),
                           (DWORD)saved.bytes.size());
        else
            RegDeleteValueA(key, saved.name.c_str());
        RegCloseKey(key);
    }
}

// ---------------------------------------------------------------------------
// Windows of the program.

HWND BoxText(HWND box)
{
    for (int id : {0xFFFF, 100}) {
        char className[32] = "";
        HWND control = GetDlgItem(box, id);
        if (control != NULL && GetClassNameA(control, className, sizeof(className)) &&
            lstrcmpiA(className, "Static") == 0)
            return control;
    }
    return NULL;
}

struct WindowSearch {
    DWORD processId;
    const std::string* caption;
    bool box;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    WindowSearch* search = (WindowSearch*)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && Text(window) == *search->caption &&
        (BoxText(window) != NULL) == search->box)
        search->found = window;
    return search->found == NULL;
}

HWND FindProcessWindow(DWORD processId, const std::string& caption, bool box)
{
    WindowSearch search = {processId, &caption, box, NULL};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

bool Responds(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &ignored) != 0;
}

// ---------------------------------------------------------------------------
// Another process's list view: the item record and its text buffer live in
// memory allocated in that process.

static const int kTextCapacity = 131072;  // a "MISSING" row may carry 127999 characters

static bool RequestText(HANDLE process, HWND list, char* remote, UINT message, int index,
                        int subItem, LVITEMA& item, std::string& text)
{
    char* remoteText = remote + sizeof(LVITEMA);
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | (subItem == 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.iSubItem = subItem;
    item.pszText = remoteText;
    item.cchTextMax = kTextCapacity;
    item.iImage = -1;
    DWORD_PTR result = 0;
    if (!WriteProcessMemory(process, remote, &item, sizeof(item), NULL) ||
        !SendMessageTimeoutA(list, message, message == LVM_GETITEMTEXTA ? index : 0,
                             (LPARAM)remote, SMTO_NORMAL, kWaitMs, &result) ||
        !ReadProcessMemory(process, remote, &item, sizeof(item), NULL))
        return false;
    // The list view may point the record at its own copy of the text.
    std::string buffer(kTextCapacity, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, item.pszText ? item.pszText : remoteText, &buffer[0], 4096, &read);
    if (read == 4096 && buffer.find('\0') >= read)
        ReadProcessMemory(process, item.pszText ? item.pszText : remoteText, &buffer[0],
                          kTextCapacity, &read);
    text = buffer.substr(0, buffer.find('\0'));
    return read > 0;
}

bool ReadListView(HWND list, std::vector<Row>& rows, std::string& failure)
{
    rows.clear();
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION, FALSE, processId);
    char* remote = process == NULL ? NULL
                                   : (char*)VirtualAllocEx(process, NULL,
                                                           sizeof(LVITEMA) + kTextCapacity,
                                                           MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR count = 0;
    bool ok = remote != NULL && SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL,
                                                    kWaitMs, &count);
    for (int index = 0; ok && index < (int)count; ++index) {
        Row row;
        LVITEMA item;
        ok = RequestText(process, list, remote, LVM_GETITEMA, index, 0, item, row.label);
        row.image = item.iImage;
        ok = ok && RequestText(process, list, remote, LVM_GETITEMTEXTA, index, 1, item, row.value);
        rows.push_back(row);
    }
    if (!ok)
        failure = "reading the list view failed, error " + std::to_string(GetLastError());
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process != NULL)
        CloseHandle(process);
    return ok;
}

// ---------------------------------------------------------------------------
// Shortcut files, through the shell's own link object.

static bool WithLink(const std::string& path, bool load, IShellLinkA** link, IPersistFile** file)
{
    WCHAR widePath[MAX_PATH * 2];
    *link = NULL;
    *file = NULL;
    return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2) &&
           SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void**)link)) &&
           SUCCEEDED((*link)->QueryInterface(IID_IPersistFile, (void**)file)) &&
           (!load || SUCCEEDED((*file)->Load(widePath, STGM_READ)));
}

static void Release(IShellLinkA* link, IPersistFile* file)
{
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
}

bool ReadShortcut(const std::string& path, std::string settings[4])
{
    IShellLinkA* link;
    IPersistFile* file;
    char texts[4][MAX_PATH * 2] = {"", "", "", ""};
    int iconIndex = -1;
    bool ok = WithLink(path, true, &link, &file) &&
              SUCCEEDED(link->GetPath(texts[0], MAX_PATH * 2, NULL, 0)) &&
              SUCCEEDED(link->GetWorkingDirectory(texts[1], MAX_PATH * 2)) &&
              SUCCEEDED(link->GetIconLocation(texts[2], MAX_PATH * 2, &iconIndex)) &&
              SUCCEEDED(link->GetDescription(texts[3], MAX_PATH * 2));
    Release(link, file);
    for (int i = 0; i < 4; ++i)
        settings[i] = texts[i];
    settings[2] += "," + std::to_string(iconIndex);
    return ok;
}

bool WriteShortcut(const std::string& path, const std::string& target)
{
    IShellLinkA* link;
    IPersistFile* file;
    WCHAR widePath[MAX_PATH * 2];
    bool ok = WithLink(path, false, &link, &file) && SUCCEEDED(link->SetPath(target.c_str())) &&
              MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2) &&
              SUCCEEDED(file->Save(widePath, TRUE));
    Release(link, file);
    return ok;
}

// ---------------------------------------------------------------------------

static bool CanOpenForWriting(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
}

bool SetReadOnly(const std::string& path, bool readOnly)
{
    SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    typedef char*(CDECL * UnixFileName)(LPCWSTR);
    UnixFileName unixFileName = (UnixFileName)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR widePath[MAX_PATH * 2];
    char* unixPath = NULL;
    if (unixFileName == NULL || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath,
                                                     MAX_PATH * 2) ||
        (unixPath = unixFileName(widePath)) == NULL)
        return unixFileName == NULL;  // Windows: the attribute alone holds
    std::string commandLine = std::string("chattr ") + (readOnly ? "+i" : "-i") + " \"" +
                              unixPath + "\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA("Z:\\usr\\bin\\chattr", &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                        NULL, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    // A Unix program's end is not ours to wait for: wait for its effect.
    for (ULONGLONG end = GetTickCount64() + kWaitMs; CanOpenForWriting(path) == readOnly;
         Sleep(20))
        if (GetTickCount64() > end)
            return false;
    return true;
}
